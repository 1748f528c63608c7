#pragma once

// A small tree to draw: the expression tree or the tree of rule calls of
// one grammar on one line, as the model holds it (model.h). Here are all of
// calcexplain's drawings: the trees as text, side by side, and as DOT.

#include "model.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct Picture {
    bool tooLarge;
    std::vector<std::string> labels;
    std::vector<std::vector<std::size_t>> children;
    std::vector<std::size_t> roots;
};

// The trees of a traced run as pictures; tooLarge beyond largestPicture
// nodes. On a line the rules rejected, the expression tree is as far as
// they had built it: each operator matched but not yet applied joins its
// left operand to what follows it, and a '?' stands where they stopped.
Picture expressionPicture(const Model& model);
Picture rulePicture(const Model& model);

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
