"""Every relative link of the Markdown documents leads somewhere: to a file
that exists, and, with #anchor, to one of its headings (the anchor a
heading gets on a forge: lower case, punctuation dropped, blanks as -).

    links.py DOCUMENT...
"""

import os
import re
import sys

LINK = re.compile(r"\]\(([^)\s]+)\)")
FENCE = re.compile(r"^```.*?^```", re.M | re.S)


def anchors(path):
    with open(path, encoding="utf-8") as f:
        text = FENCE.sub("", f.read())
    return {re.sub(r"[^\w\- ]", "", heading.strip().lower()).replace(" ", "-")
            for heading in re.findall(r"^#+ (.*)$", text, re.M)}


def broken(path):
    with open(path, encoding="utf-8") as f:
        text = FENCE.sub("", f.read())
    for target in LINK.findall(text):
        if re.match(r"[a-z]+:", target):
            continue  # an address elsewhere: not this check's business
        name, _, anchor = target.partition("#")
        linked = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
        if not os.path.isfile(linked):
            yield f"{target}: no file {linked}"
        elif anchor and anchor not in anchors(linked):
            yield f"{target}: no heading #{anchor} in {linked}"


def main():
    failed = 0
    for path in sys.argv[1:]:
        problems = list(broken(path))
        print(f"{'FAIL' if problems else 'ok  '} {path}")
        for problem in problems:
            print(f"  {problem}")
        failed += bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
