"""The README's pictures of the trees against what the build draws: the same
clusters, nodes and edges with the same texts. Where Graphviz puts them, its
version and its fonts are Graphviz's, not calcexplain's, and are not
compared."""

import argparse
import os
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402

SVG = "{http://www.w3.org/2000/svg}"


def drawn(path):
    """Each cluster, node and edge of an SVG that Graphviz drew: its class,
    its title (the DOT name) and its texts, in the order drawn."""
    parts = []
    for group in ElementTree.parse(path).iter(SVG + "g"):
        if group.get("class") in ("cluster", "node", "edge"):
            parts.append((group.get("class"), group.findtext(SVG + "title"),
                          tuple(text.text for text in group.iter(SVG + "text"))))
    return parts


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--drawn", required=True, help="the directory the trees target draws into")
    parser.add_argument("--committed", required=True, help="the directory of the README's pictures")
    parser.add_argument("names", nargs="+")
    args = parser.parse_args()
    tally = blackbox.Tally()
    for name in args.names:
        new, old = (drawn(os.path.join(directory, name + ".svg")) for directory in (args.drawn, args.committed))
        tally.check(f"{name}.svg: what the build draws", new == old and len(new) > 10,
                    "\n     ".join(f"{a} | {b}" for a, b in zip(new, old) if a != b)[:2000])
    tally.finish()


if __name__ == "__main__":
    main()
