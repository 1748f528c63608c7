"""Replays the transcripts of a document with cram, byte for byte, or
rewrites the document's shown output from a real run.

A transcript is a block of `$ command` lines, each followed by what the
command prints: in Markdown a fenced code block whose first line starts
with `$ `; in a manual page a .nf/.fi block of the EXAMPLES section whose
first line does. Commands run in one shell, from the source directory, with
the programs on PATH. A document shows only what the terminal shows, so the
exit status is not compared. Output that a document cuts is cut by the
command itself (`| head -n 4`), so that it replays as printed.

    transcripts.py check --cram CRAM --bin DIR --root DIR DOCUMENT...
    transcripts.py update --cram CRAM --bin DIR --root DIR DOCUMENT...
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

INDENT = "  "


def is_manual_page(path):
    return re.search(r"\.[1-9]$", path) is not None


def from_roff(line):
    """The text a roff line of a .nf block shows."""
    text = line.replace("\\-", "-").replace("\\&", "").replace("\\(aq", "'").replace("\\(dq", '"')
    return text.replace("\\e", "\\")


def to_roff(text):
    """The roff line that shows text in a .nf block."""
    line = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + line if line.startswith((".", "'")) else line


def transcript_blocks(path, lines):
    """(first, end) line indices of each transcript's body, end excluded."""
    blocks = []
    if is_manual_page(path):
        in_examples = False
        start = None
        for i, line in enumerate(lines):
            if line.startswith(".SH"):
                in_examples = line.split(None, 1)[1:] == ["EXAMPLES"]
            elif in_examples and line == ".nf":
                start = i + 1
            elif in_examples and line == ".fi" and start is not None:
                if start < i and lines[start].startswith("$ "):
                    blocks.append((start, i))
                start = None
    else:
        start = None
        for i, line in enumerate(lines):
            if line.startswith("```"):
                if start is None:
                    start = i + 1
                else:
                    if start < i and lines[start].startswith("$ "):
                        blocks.append((start, i))
                    start = None
    return blocks


def shown(path, line):
    return from_roff(line) if is_manual_page(path) else line


def steps(path, lines, first, end):
    """A transcript as (command lines, output lines) pairs, each line as the
    document writes it. A command line that ends in a backslash goes on in
    the next line."""
    result = []
    continued = False
    for line in lines[first:end]:
        if continued or shown(path, line).startswith("$ "):
            if not continued:
                result.append(([], []))
            result[-1][0].append(line)
            continued = shown(path, line).endswith("\\")
        else:
            result[-1][1].append(line)
    return result


# cram writes an output line with bytes other than printable ASCII in
# escapes, marked (esc); a tab is the one a document may show.
def to_cram(text):
    if re.search(r"[\x00-\x08\x0a-\x1f\x7f-\uffff]", text):
        sys.exit(f"output a document should not show: {text!r}")
    if "\t" not in text:
        return text
    return text.replace("\\", "\\\\").replace("\t", "\\t") + " (esc)"


def from_cram(path, text):
    if text.endswith(" (no-eol)") or re.search(r"\\x[0-9a-f]{2}", text) and text.endswith(" (esc)"):
        sys.exit(f"{path}: output a document cannot show as printed: {text!r}")
    if text.endswith(" (esc)"):
        return text[:-len(" (esc)")].replace("\\t", "\t").replace("\\\\", "\\")
    return text


def cram_lines(path, lines, blocks):
    """The document's transcripts as a cram test: a comment before each
    block, then its commands (the status ignored) and expected output."""
    test = [f"{INDENT}$ cd \"$DOCUMENTS_ROOT\"\n"]
    for first, end in blocks:
        test.append(f"{os.path.basename(path)}, line {first + 1}:\n")
        for command, output in steps(path, lines, first, end):
            texts = [shown(path, line) for line in command]
            test.append(f"{INDENT}$ {texts[0][2:]}" + ("\n" if len(texts) > 1 else " || true\n"))
            test += [f"{INDENT}> {text}" + ("\n" if n < len(texts) - 1 else " || true\n")
                     for n, text in enumerate(texts[1:], 1)]
            test += [f"{INDENT}{to_cram(shown(path, line))}\n" for line in output]
    return test


def replay(cram, path, root, bin_dir):
    """The document's lines, its transcripts, the actual cram test (lines)
    and the difference cram shows, empty when all output matches."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks = transcript_blocks(path, lines)
    env = dict(os.environ, DOCUMENTS_ROOT=os.path.abspath(root),
               PATH=os.path.abspath(bin_dir) + os.pathsep + os.environ["PATH"])
    with tempfile.TemporaryDirectory() as scratch:
        test = os.path.join(scratch, os.path.basename(path) + ".t")
        with open(test, "w", encoding="utf-8") as f:
            f.writelines(cram_lines(path, lines, blocks))
        run = subprocess.run([cram, "--shell=/bin/sh", test], env=env, cwd=scratch,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode not in (0, 1) or (run.returncode == 1) != os.path.exists(test + ".err"):
            sys.exit(f"{path}: cram failed (status {run.returncode}):\n{run.stdout}")
        actual = test + (".err" if run.returncode else "")
        with open(actual, encoding="utf-8") as f:
            actual = f.read().split("\n")[:-1]
    return lines, blocks, actual, run.stdout if run.returncode else ""


def rewrite(path, lines, blocks, actual):
    """The document with each transcript's output replaced by the actual one."""
    outputs = []  # per block, per command: its output
    for text in actual[1:]:
        if not text.startswith(INDENT):
            outputs.append([])
        elif text.startswith(INDENT + "$ "):
            outputs[-1].append([])
        elif not text.startswith(INDENT + "> "):
            outputs[-1][-1].append(from_cram(path, text[len(INDENT):]))
    new = list(lines)
    for (first, end), block in reversed(list(zip(blocks, outputs))):
        body = []
        for (command, _), output in zip(steps(path, lines, first, end), block):
            body += command
            body += [to_roff(text) if is_manual_page(path) else text for text in output]
        new[first:end] = body
    return new


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("mode", choices=["check", "update"])
    parser.add_argument("--cram", default="cram3", help="the cram command")
    parser.add_argument("--bin", required=True,
                        help="the programs' directory, put first on PATH (PROGRAM_BIN, if set, instead)")
    parser.add_argument("--root", required=True, help="the source directory, where commands run")
    parser.add_argument("documents", nargs="+")
    args = parser.parse_args()
    args.bin = os.environ.get("PROGRAM_BIN") or args.bin
    failed = 0
    for path in args.documents:
        path = os.path.abspath(path)
        lines, blocks, actual, diff = replay(args.cram, path, args.root, args.bin)
        name = os.path.relpath(path, args.root)
        if not blocks:
            print(f"FAIL {name}: no transcript found")
            failed += 1
        elif args.mode == "check":
            print(f"{'FAIL' if diff else 'ok  '} {name}: {len(blocks)} transcripts")
            if diff:
                print(diff, end="")
                failed += 1
        elif diff:
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(rewrite(path, lines, blocks, actual)))
            print(f"updated {name}")
        else:
            print(f"unchanged {name}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
