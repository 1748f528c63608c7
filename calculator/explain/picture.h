#pragma once

// A small tree to draw: the expression tree or the rule calls of one grammar
// on one line. The grammar's process writes it to a file, node by node, and
// calcexplain reads it back to draw it as text or as Graphviz DOT: the
// drawing needs a stack the grammar may have just run out of. Here are all
// of calcexplain's drawings: the trees as text, side by side, and as DOT.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Beyond this many nodes a tree says only that it is too large to draw.
constexpr std::size_t largestPicture = 300;

constexpr long noParent = -1;

// The file: a first line with the count of nodes, or "-" when there are more
// than largestPicture; then one line per node, parents before children and
// siblings left to right: the parent's index (noParent for a root) and the
// label.
void writePictureSize(std::FILE* out, std::size_t nodes);
void writePictureNode(std::FILE* out, long parent, std::string_view label);

struct Picture {
    bool tooLarge;
    std::vector<std::string> labels;
    std::vector<std::vector<std::size_t>> children;
    std::vector<std::size_t> roots;
};

Picture readPicture(std::FILE* in);

// The picture as lines of text, each root's tree beside the last, inner
// nodes centred over their children:
//       -
//   .---'---.
//   -       2
// .-'-.
// 10  3
std::vector<std::string> drawPicture(const Picture& picture);

// A string as DOT quotes it, bytes that are not printable ASCII as \xNN.
std::string dotQuoted(std::string_view text);

// One grammar's trees on one line, and where it stopped: what the drawings
// of a line show.
struct GrammarTrees {
    std::string name;
    bool accepted;
    int value;
    long column;     // where the program stopped, if it did not accept
    long traceStop;  // where the trace stopped short of the program, or 0
    Picture expression;
    Picture rules;
};

// The grammars' trees of one kind under their names, side by side where
// they fit in 80 columns, else one after another, after an empty line.
void showTrees(const std::vector<GrammarTrees>& grammars, bool rules);

// The lines' trees as one DOT graph: beginDot, then for each line a cluster
// (numbered from 1) holding a cluster per grammar, in it a cluster per kind
// of tree; then endDot.
void beginDot(std::FILE* out);
void writeDotLine(std::FILE* out, int number, std::string_view line, const std::vector<GrammarTrees>& grammars);
void endDot(std::FILE* out);
