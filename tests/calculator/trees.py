"""calcexplain's trees: --dot, --tree and --tree=rules.

For the generated lines explain.py uses, each accepted line's expression tree
(as --dot writes it) must be the independent evaluator's syntax tree
(differential.py), numbers as typed; its tree of rule calls, read back by the
grammar's own productions, must be that tree too, with the line's characters
at its leaves. Graphviz itself parses the DOT (when --dot-program is given:
the host's dot). Beside them: drawings derived by hand, byte for byte, a
rejected line's partial tree, and the layout's width."""

import os
import re
import shlex
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import blackbox  # noqa: E402
import differential  # noqa: E402

PROGRAMS = ["calcloop", "calcminusrec", "calcrec"]
LARGEST = 300  # nodes in a tree that is still drawn
TOO_LARGE = f"more than {LARGEST} nodes: too many to draw"

NODE = re.compile(r'^\s*(l\d+g(\d)([er])\d*) \[label="((?:[^"\\]|\\.)*)"')
EDGE = re.compile(r"^\s*(l\d+g(\d)([er])\d+) -> (l\d+g\d[er]\d+);$")
LINE = re.compile(r'^  subgraph cluster_(\d+) \{\n    label="(.*)";$', re.M)


def read_dot(text):
    """Per grammar and kind ('e' expression, 'r' rules): the nodes' labels
    and children, in the order written, and the roots."""
    graphs = {}
    for line in text.split("\n"):
        if node := NODE.match(line):
            name, grammar, kind, label = node.groups()
            graph = graphs.setdefault((int(grammar), kind), {"label": {}, "children": {}, "roots": []})
            graph["label"][name] = re.sub(r"\\(.)", r"\1", label)
            graph["children"][name] = []
        elif edge := EDGE.match(line):
            tail, grammar, kind, head = edge.groups()
            graphs[(int(grammar), kind)]["children"][tail].append(head)
    for graph in graphs.values():
        heads = {child for children in graph["children"].values() for child in children}
        graph["roots"] = [name for name in graph["label"] if name not in heads]
    return graphs


def unquote(label):
    """A DOT label's text: a byte shown as \\xNN, then \\c as c."""
    label = re.sub(r"\\\\x([0-9a-f]{2})", lambda m: chr(int(m.group(1), 16)), label)
    return re.sub(r"\\(.)", r"\1", label)


def nested(graph, name):
    """A node as (label, [children...])."""
    return (graph["label"][name], [nested(graph, child) for child in graph["children"][name]])


def expected_expression(tree):
    if isinstance(tree, int):
        return (tree.typed, [])
    op, left, right = tree
    return (op, [expected_expression(left), expected_expression(right)])


def size(tree):
    return 1 + sum(size(child) for child in tree[1])


def leaves(tree):
    return [tree[0]] if not tree[1] else [leaf for child in tree[1] for leaf in leaves(child)]


def fold(tree):
    """The expression a tree of rule calls stands for, read by the productions:
    a number is its digits; a factor its parenthesised expr or its number; an
    operator rule's children, operand operator operand ..., group to the left
    (a right-recursive rule nests its right operand itself)."""
    label, children = tree
    if label == "number":
        return ("".join(digit[1][0][0] for digit in children), [])
    if label == "factor" and children[0][0] == "(":
        return fold(children[1])
    if label in ("command", "factor"):
        return fold(children[0])
    result = fold(children[0])
    for op, operand in zip(children[1::2], children[2::2]):
        result = (op[0], [result, fold(operand)])
    return result


def check_generated(tally, bin_dir):
    lines = [line[:line.index(b"\n") + 1] for program in PROGRAMS
             for line in differential.lines(program, blackbox.fewer(40, 15, f"lines for {program}"), "explain")
             if b"\n" in line]
    got = blackbox.run(bin_dir, "calcexplain", b"".join(lines), arguments=["--dot"], timeout=300,
                       hold_input_open=False)
    text = got.stdout.decode("latin-1")
    # One graph, a cluster per line, labelled with the line, numbered from 1.
    parts = LINE.split(text)
    graphs = parts[3::3]
    if not tally.check(f"--dot on {len(lines)} lines: one graph, a cluster each, status 0",
                       got.status == 0 and text.count("digraph") == 1 and text.endswith("  }\n}\n")
                       and parts[1::3] == [str(n + 1) for n in range(len(lines))]
                       and [unquote(label) for label in parts[2::3]] == [line.decode("latin-1").rstrip("\n")
                                                                         for line in lines],
                       f"{got.status} {len(graphs)}"):
        return
    for line, text in zip(lines, graphs):
        trees = read_dot(text)
        for g, program in enumerate(PROGRAMS):
            label = f"{program} <<< {line!r}"
            try:
                tree = differential.parse(line, differential.GRAMMARS[program])
            except differential.Invalid:
                continue
            want = expected_expression(tree)
            expression = trees[(g, "e")]
            shown = [nested(expression, root) for root in expression["roots"]]
            if size(want) > LARGEST:
                tally.check(f"{label}: the expression tree too large", shown == [(TOO_LARGE, [])], f"{shown}")
            else:
                tally.check(f"{label}: the expression tree is the evaluator's", shown == [want],
                            f"{shown}\n     want {want}")
            rules = trees[(g, "r")]
            shown = [nested(rules, root) for root in rules["roots"]]
            characters = [chr(c) for c in line.rstrip(b"\n") if c not in b" \t"]
            if shown == [(TOO_LARGE, [])]:
                # Every character is a leaf under at least one rule: a rule per
                # level of the deepest chain, command to digit, at most.
                tally.check(f"{label}: the rule calls too many to draw", 8 * (len(characters) + 1) > LARGEST)
                continue
            tally.check(f"{label}: the rule calls read back as the evaluator's tree",
                        len(shown) == 1 and fold(shown[0]) == want and size(shown[0]) <= LARGEST, f"{shown}")
            tally.check(f"{label}: the characters at the leaves", len(shown) == 1 and leaves(shown[0]) == characters,
                        f"{shown}")
            if program == "calcrec":
                tally.check(f"{label}: calcrec calls no minus", "minus" not in str(shown))


def check_graphviz(tally, bin_dir, dot):
    """Graphviz reads the DOT: the same nodes, labels and edges, and the
    grammars' clusters, left to right."""
    for line in ["2*3-4*5", "1+2*", "(1+2", '7"\\']:
        got = blackbox.run(bin_dir, "calcexplain", arguments=["--dot", line])
        mine = read_dot(got.stdout.decode())
        plain = subprocess.run([dot, "-Tplain"], input=got.stdout, capture_output=True, check=False)
        nodes, edges = {}, set()
        for row in plain.stdout.decode().split("\n"):
            fields = shlex.split(row)
            if fields[:1] == ["node"] and "g" in fields[1]:  # not the line's invisible node
                nodes[fields[1]] = (float(fields[2]), fields[6])
            elif fields[:1] == ["edge"] and "g" in fields[1]:
                edges.add((fields[1], fields[2]))
        want_nodes = {name: graph["label"][name] for graph in mine.values() for name in graph["label"]}
        want_edges = {(tail, head) for graph in mine.values() for tail, heads in graph["children"].items()
                      for head in heads}
        tally.check(f"dot -Tplain reads --dot {line}: its nodes and edges", plain.returncode == 0 and
                    {name: label for name, (_, label) in nodes.items()} == want_nodes and edges == want_edges,
                    f"{plain.returncode} {plain.stderr!r}\n     {nodes}\n     {want_nodes}")
        lefts = [min(x for name, (x, _) in nodes.items() if name.startswith(f"l1g{g}")) for g in range(3)]
        tally.check(f"dot -Tplain reads --dot {line}: the grammars left to right", lefts == sorted(lefts), f"{lefts}")


# --tree 10-3-2, derived by hand: subtrees two columns apart, a parent
# centred over its outer children (the right one moved a column on where
# that leaves no middle column), blocks three columns apart.
TREE_10_3_2 = """
calcloop    calcminusrec   calcrec
     -         -           10
  .--'--.   .--'--.        stopped at column 3
  -     2   10    -
.-'-.           .-'-.
10  3           3   2
"""

# --tree=rules 7: one chain per grammar, each label centred on the one below.
RULES_7 = """
calcloop rules   calcminusrec rules   calcrec rules
command          command              command
   |                |                    |
  expr             expr                 expr
   |                |                    |
 minus            minus                 term
   |                |                    |
  term             term                factor
   |                |                    |
 factor           factor               number
   |                |                    |
 number           number               digit
   |                |                    |
 digit            digit                  7
   |                |
   7                7
"""

# A rejected line: as far as the trees were built, '?' where the rules stopped.
PARTIAL = """
calcloop              calcminusrec          calcrec
   +                     +                     +
.--'--.               .--'--.               .--'--.
1     *               1     *               1     *
    .-'-.                 .-'-.                 .-'-.
    2   ?                 2   ?                 2   ?
stopped at column 5   stopped at column 5   stopped at column 5
"""


def drawing(stdout):
    """What follows the explanation: from the first blank line."""
    text = stdout.decode()
    return text[text.index("\n\n") + 1:] if "\n\n" in text else ""


def check_drawings(tally, bin_dir):
    def draw(*arguments):
        return drawing(blackbox.run(bin_dir, "calcexplain", arguments=arguments).stdout)

    tally.check("--tree 10-3-2, byte for byte", draw("--tree", "10-3-2") == TREE_10_3_2, draw("--tree", "10-3-2"))
    tally.check("--tree=rules 7, byte for byte", draw("--tree=rules", "7") == RULES_7, draw("--tree=rules", "7"))
    tally.check("--tree 1+2*: the partial trees", draw("--tree", "1+2*") == PARTIAL, draw("--tree", "1+2*"))
    # The README's examples, and a dozen tokens: side by side in 80 columns.
    for line in ["10-3-2", "1+2+3", "2*3-4*5", "1*2+3*4-5*6+7", "(((1+2)*3)-4)"]:
        text = draw("--tree", line)
        title = text.split("\n")[1]
        tally.check(f"--tree {line}: side by side within 80 columns",
                    title.split() == PROGRAMS and max(len(row) for row in text.split("\n")) <= 80, text)
    wide = "+".join(["1234567"] * 6)
    text = draw("--tree", wide)
    tally.check("--tree on a wider line: one tree after another", [row for row in text.split("\n") if row in PROGRAMS]
                == PROGRAMS and max(len(row) for row in text.split("\n")) <= 80, text)
    # calcloop's rule calls for n ones added: command, expr, and per one
    # minus, term, factor, number, digit and the digit; n-1 '+': 7n+1 nodes.
    for ones, drawn in [(42, True), (43, False)]:
        got = blackbox.run(bin_dir, "calcexplain", arguments=["--dot", "+".join(["1"] * ones)])
        rules = read_dot(got.stdout.decode())[(0, "r")]
        tally.check(f"calcloop's {7 * ones + 1} rule calls {'' if drawn else 'not '}drawn",
                    (len(rules["label"]) == 7 * ones + 1) if drawn else list(rules["label"].values()) == [TOO_LARGE],
                    f"{len(rules['label'])}")
    text = draw("--tree", "+".join(["1"] * 200))
    tally.check("--tree on 399 nodes: a line says so", text.count("more than 300 nodes:") == 3, text)


def main():
    args = blackbox.arguments(lambda parser: parser.add_argument(
        "--dot-program", help="Graphviz's dot, to read calcexplain's DOT (left out: not checked)"))
    tally = blackbox.Tally()
    check_drawings(tally, args.bin)
    check_generated(tally, args.bin)
    if args.dot_program:
        check_graphviz(tally, args.bin, args.dot_program)
    else:
        blackbox.not_run("Graphviz's reading of the DOT", "no --dot-program here")
    tally.finish()


if __name__ == "__main__":
    main()
