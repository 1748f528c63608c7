#pragma once

// A small tree to draw: the expression tree or the rule calls of one grammar
// on one line. The grammar's process writes it to a file, node by node, and
// calcexplain reads it back to draw it as text or as Graphviz DOT: the
// drawing needs a stack the grammar may have just run out of.

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

// The picture as DOT statements: nodes named `prefix` and their index.
void writeDot(std::FILE* out, const Picture& picture, const std::string& prefix);

// A string as DOT quotes it, bytes that are not printable ASCII as \xNN.
std::string dotQuoted(std::string_view text);
