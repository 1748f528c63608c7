"""The README's pictures of the trees say what a student reads in them: for
each grammar its verdict, the grouping its expression tree draws, and the
line its tree of rules reads back, up to where it stopped. The expected
groupings and values are worked out by hand from the three grammars below;
where Graphviz puts things is Graphviz's and is not looked at."""

import argparse
import os
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"

# calcloop: + and - both loop, left to right, - binding tighter than +.
# calcminusrec: - recurses to its right.  calcrec: + and * recurse to their
# right, and there is no - at all, so the line stops at its first -.
# picture: (line, [(heading, grouping of the expression tree)] per grammar)
PICTURES = {
    "10-3-2": ("10-3-2", [
        ("calcloop = 5", "((10-3)-2)"),
        ("calcminusrec = 9", "(10-(3-2))"),
        ("calcrec: stopped at column 3", "10"),
    ]),
    "1+2+3": ("1+2+3", [
        ("calcloop = 6", "((1+2)+3)"),
        ("calcminusrec = 6", "((1+2)+3)"),
        ("calcrec = 6", "(1+(2+3))"),
    ]),
    "2x3-4x5": ("2*3-4*5", [
        ("calcloop = -14", "((2*3)-(4*5))"),
        ("calcminusrec = -14", "((2*3)-(4*5))"),
        ("calcrec: stopped at column 4", "(2*3)"),
    ]),
}


def drawn(path):
    """The texts of each cluster, node and edge's ends, by DOT name, and
    each node's children in the order drawn."""
    texts, children = {}, {}
    for group in ElementTree.parse(path).iter(SVG + "g"):
        title = group.findtext(SVG + "title")
        if group.get("class") in ("cluster", "node"):
            texts[title] = "".join(text.text or "" for text in group.iter(SVG + "text"))
        elif group.get("class") == "edge":
            parent, child = title.split("->")
            children.setdefault(parent, []).append(child)
    return texts, children


def grouping(texts, children, node):
    """The expression tree below node, parenthesised."""
    below = children.get(node, [])
    if len(below) != 2:
        return texts[node] if not below else "?"
    left, right = (grouping(texts, children, child) for child in below)
    return f"({left}{texts[node]}{right})"


def leaves(texts, children, node):
    """What the tree of rules below node reads, leaf by leaf."""
    below = children.get(node, [])
    return texts[node] if not below else "".join(leaves(texts, children, child) for child in below)


def check(tally, path, line, grammars):
    texts, children = drawn(path)
    tally.check(f"{path}: the line", texts.get("cluster_1") == line, texts.get("cluster_1"))
    for g, (heading, expected) in enumerate(grammars):
        name = f"{path}: {heading.split()[0].rstrip(':')}"
        tally.check(f"{name}: verdict", texts.get(f"cluster_1_{g}") == heading, texts.get(f"cluster_1_{g}"))
        got = grouping(texts, children, f"l1g{g}e0") if f"l1g{g}e0" in texts else None
        tally.check(f"{name}: grouping {expected}", got == expected, got)
        # A grammar that stops reads the line up to the column, then "?".
        read = line
        if "stopped at column" in heading:
            read = line[:int(heading.split()[-1]) - 1] + "?"
        got = leaves(texts, children, f"l1g{g}r0") if f"l1g{g}r0" in texts else None
        tally.check(f"{name}: rules read {read}", got == read, got)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("directories", nargs="+",
                        help="the README's pictures, and any the trees target drew")
    args = parser.parse_args()
    tally = blackbox.Tally()
    for directory in args.directories:
        for name, (line, grammars) in PICTURES.items():
            check(tally, os.path.join(directory, name + ".svg"), line, grammars)
    tally.finish()


if __name__ == "__main__":
    main()
