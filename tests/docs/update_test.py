"""transcripts.py's update mode restores a document whose shown output was
damaged: in a copy, the last command of every transcript has its first
output line changed and its last one dropped, or gains a line where it
showed none; update must bring the
copy back to the document byte for byte, and check must then pass.

    update_test.py --transcripts PY --cram CRAM --bin DIR --root DIR DOCUMENT...
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(__file__))
import transcripts  # noqa: E402


def damage(path, lines):
    """The document's lines with every transcript's output spoilt."""
    damaged = list(lines)
    for first, end in reversed(transcripts.transcript_blocks(path, lines)):
        command, output = transcripts.steps(path, lines, first, end)[-1]
        if output:
            damaged[end - len(output)] = "damaged " + damaged[end - len(output)]
            if len(output) > 1:
                del damaged[end - 1]
        else:
            damaged.insert(end, "spurious")
    return damaged


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--transcripts", required=True)
    parser.add_argument("--cram", required=True)
    parser.add_argument("--bin", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("documents", nargs="+")
    args = parser.parse_args()
    failed = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in args.documents:
            with open(path, encoding="utf-8") as f:
                original = f.read()
            copy = os.path.join(scratch, os.path.basename(path))
            with open(copy, "w", encoding="utf-8") as f:
                f.write("\n".join(damage(path, original.split("\n"))))
            common = ["--cram", args.cram, "--bin", args.bin, "--root", args.root, copy]
            spoilt = subprocess.run([sys.executable, args.transcripts, "check"] + common,
                                    stdout=subprocess.DEVNULL).returncode
            subprocess.run([sys.executable, args.transcripts, "update"] + common, check=True,
                           stdout=subprocess.DEVNULL)
            with open(copy, encoding="utf-8") as f:
                restored = f.read() == original
            ok = spoilt != 0 and restored
            print(f"{'ok  ' if ok else 'FAIL'} {path}: damaged copy fails check: {spoilt != 0}, "
                  f"restored by update: {restored}")
            if not restored:
                shutil.copy(copy, copy + ".restored")
                subprocess.run(["diff", "-u", path, copy])
            failed += not ok
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
