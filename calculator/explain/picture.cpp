// Drawing a small tree as text, top down as on a board, and as DOT.

#include "picture.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

void addNode(Picture& picture, long parent, std::string label)
{
    std::size_t self = picture.labels.size();
    picture.labels.push_back(std::move(label));
    picture.children.emplace_back();
    if (parent >= 0 && static_cast<std::size_t>(parent) < self)
        picture.children[static_cast<std::size_t>(parent)].push_back(self);
    else
        picture.roots.push_back(self);
}

// The subtree under `root`, parents first, walked with a list of its own:
// siblings left to right.
void addSubtree(Picture& picture, const Model& model, std::uint32_t root, long parent)
{
    std::vector<std::pair<std::uint32_t, long>> walk{{root, parent}};
    while (!walk.empty()) {
        auto [index, above] = walk.back();
        walk.pop_back();
        const ExprNode& n = model.nodes[index];
        auto self = static_cast<long>(picture.labels.size());
        addNode(picture, above, n.op ? std::string(1, n.op) : std::string(digitsOf(model, n)));
        if (n.op) {
            walk.push_back({index - 1, self});  // the right operand, placed second
            walk.push_back({n.left, self});
        }
    }
}

// How a character is labelled in the tree of rule calls.
std::string characterLabel(char c)
{
    if (c == '\n')
        return "\\n";
    if (c > ' ' && c < 0x7f)
        return std::string(1, c);
    return "?";
}

}  // namespace

Picture expressionPicture(const Model& model)
{
    Picture picture{!model.expressionKept, {}, {}, {}};
    if (picture.tooLarge)
        return picture;
    const std::vector<std::uint32_t>& operands = model.roots;
    std::size_t joined = model.pending.size() + 1;  // the operands the pending operators join
    std::size_t next = 0;
    // Operands left over ahead of the pending operators (none, as these
    // grammars build their trees) stand as trees of their own.
    for (; next + joined < operands.size(); ++next)
        addSubtree(picture, model, operands[next], noParent);
    long parent = noParent;
    for (char op : model.pending) {
        auto self = static_cast<long>(picture.labels.size());
        addNode(picture, parent, std::string(1, op));
        if (next < operands.size())
            addSubtree(picture, model, operands[next++], self);
        parent = self;
    }
    if (next < operands.size())
        addSubtree(picture, model, operands[next], parent);
    else
        addNode(picture, parent, "?");
    return picture;
}

Picture rulePicture(const Model& model)
{
    Picture picture{!model.rulesKept, {}, {}, {}};
    if (picture.tooLarge)
        return picture;
    for (const RuleNode& n : model.rules) {
        std::string label = n.kind == 'r' ? ruleNames[n.rule] : n.kind == 'd' ? "digit" : n.kind == '?' ? "?"
                                                                                          : characterLabel(n.character);
        addNode(picture, n.parent, std::move(label));
    }
    return picture;
}

namespace {

// Columns between sibling subtrees, and between trees side by side.
constexpr int gap = 2;

struct Layout {
    const Picture& picture;
    std::vector<int> width;   // of each node's subtree
    std::vector<int> center;  // of its label, from the left of its subtree
    std::vector<std::vector<int>> childLeft;  // each child's subtree, from the left of its own
    std::vector<std::string> lines;
};

int labelWidth(const std::string& label)
{
    return static_cast<int>(label.size());
}

// A node's subtree: its children side by side, its label centred over the
// first and last child's labels.
void place(Layout& layout, std::size_t node)
{
    const std::string& label = layout.picture.labels[node];
    const auto& children = layout.picture.children[node];
    int own = labelWidth(label);
    if (children.empty()) {
        layout.width[node] = own;
        layout.center[node] = (own - 1) / 2;
        return;
    }
    int x = 0;
    for (std::size_t child : children) {
        place(layout, child);
        layout.childLeft[node].push_back(x);
        x += layout.width[child] + gap;
    }
    // An even span between the outer children's labels has a middle column
    // for the parent's label.
    std::size_t last = children.size() - 1;
    if (last && (layout.childLeft[node][last] + layout.center[children[last]] - layout.center[children[0]]) % 2) {
        ++layout.childLeft[node][last];
        ++x;
    }
    int spread = x - gap;
    int center = (layout.childLeft[node].front() + layout.center[children.front()] + layout.childLeft[node].back() +
                  layout.center[children.back()]) /
                 2;
    int shift = std::max(0, (own - 1) / 2 - center);
    for (int& left : layout.childLeft[node])
        left += shift;
    layout.center[node] = center + shift;
    layout.width[node] = std::max(spread + shift, layout.center[node] - (own - 1) / 2 + own);
}

void put(Layout& layout, std::size_t row, int column, const std::string& text)
{
    if (layout.lines.size() <= row)
        layout.lines.resize(row + 1);
    std::string& line = layout.lines[row];
    auto end = static_cast<std::size_t>(column) + text.size();
    if (line.size() < end)
        line.resize(end, ' ');
    line.replace(static_cast<std::size_t>(column), text.size(), text);
}

void render(Layout& layout, std::size_t node, int left, std::size_t row)
{
    const std::string& label = layout.picture.labels[node];
    const auto& children = layout.picture.children[node];
    int center = left + layout.center[node];
    put(layout, row, center - (labelWidth(label) - 1) / 2, label);
    if (children.empty())
        return;
    std::vector<int> centers;
    for (std::size_t i = 0; i < children.size(); ++i) {
        int childLeft = left + layout.childLeft[node][i];
        centers.push_back(childLeft + layout.center[children[i]]);
        render(layout, children[i], childLeft, row + 2);
    }
    if (centers.size() == 1) {
        put(layout, row + 1, center, "|");
        return;
    }
    put(layout, row + 1, centers.front(), std::string(static_cast<std::size_t>(centers.back() - centers.front() + 1), '-'));
    for (int c : centers)
        put(layout, row + 1, c, c == center ? "|" : ".");
    if (std::find(centers.begin(), centers.end(), center) == centers.end())
        put(layout, row + 1, center, "'");
}

}  // namespace

std::vector<std::string> drawPicture(const Picture& picture)
{
    std::size_t n = picture.labels.size();
    Layout layout{picture, std::vector<int>(n), std::vector<int>(n), std::vector<std::vector<int>>(n), {}};
    int left = 0;
    for (std::size_t root : picture.roots) {
        place(layout, root);
        render(layout, root, left, 0);
        left += layout.width[root] + gap + 1;
    }
    return layout.lines;
}

std::string dotQuoted(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte >= ' ' && byte < 0x7f) {
            quoted += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\\\x%02x", byte);
            quoted += escaped;
        }
    }
    return quoted + '"';
}

namespace {

// One grammar's drawing, under its name.
struct Block {
    std::string title;
    std::vector<std::string> lines;
    std::size_t width;
};

constexpr std::size_t screenWidth = 80;
constexpr std::size_t blockGap = 3;

// Text around a number. (Built so, not by adding to a string literal, which
// GCC 12 mistakes for overlapping copies.)
std::string numbered(const char* before, long number, const char* after = "")
{
    char text[96];
    std::snprintf(text, sizeof text, "%s%ld%s", before, number, after);
    return text;
}

Block drawBlock(const GrammarTrees& grammar, bool rules)
{
    Block block{grammar.name + (rules ? " rules" : ""), {}, 0};
    const Picture& picture = rules ? grammar.rules : grammar.expression;
    if (picture.tooLarge) {
        block.lines = {numbered("more than ", static_cast<long>(largestPicture), " nodes:"), "too many to draw"};
    } else {
        block.lines = drawPicture(picture);
        std::size_t widest = 0;
        for (const std::string& line : block.lines)
            widest = std::max(widest, line.size());
        if (widest > screenWidth)
            block.lines = {numbered("", static_cast<long>(widest), " columns wide:"), "too wide to draw"};
    }
    if (grammar.traceStop)
        block.lines.push_back(numbered("the trace stops at column ", grammar.traceStop));
    else if (!grammar.accepted)
        block.lines.push_back(numbered("stopped at column ", grammar.column));
    for (const std::string& line : block.lines)
        block.width = std::max(block.width, line.size());
    block.width = std::max(block.width, block.title.size());
    return block;
}

// The drawings side by side where they fit, else one after another.
void showBlocks(const std::vector<Block>& blocks)
{
    std::size_t total = 0;
    std::size_t height = 0;
    for (const Block& b : blocks) {
        total += b.width + (total ? blockGap : 0);
        height = std::max(height, b.lines.size());
    }
    std::putchar('\n');
    if (total > screenWidth) {
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            std::printf("%s%s\n", i ? "\n" : "", blocks[i].title.c_str());
            for (const std::string& line : blocks[i].lines)
                std::printf("%s\n", line.c_str());
        }
        return;
    }
    for (std::size_t row = 0; row <= height; ++row) {
        std::string text;
        for (const Block& b : blocks) {
            const std::string& cell = row == 0 ? b.title : row <= b.lines.size() ? b.lines[row - 1] : "";
            if (!text.empty() || &b != &blocks.front())
                text.resize(text.size() + blockGap, ' ');
            text += cell;
            if (&b != &blocks.back())
                text.resize(text.size() + b.width - cell.size(), ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        std::printf("%s\n", text.c_str());
    }
}

// The picture as DOT statements: nodes named `prefix` and their index.
void writeDot(std::FILE* out, const Picture& picture, const std::string& prefix)
{
    if (picture.tooLarge) {
        std::fprintf(out, "        %s [label=\"more than %zu nodes: too many to draw\"];\n", prefix.c_str(),
                     largestPicture);
        return;
    }
    for (std::size_t i = 0; i < picture.labels.size(); ++i) {
        const std::string& label = picture.labels[i];
        std::fprintf(out, "        %s%zu [label=%s%s];\n", prefix.c_str(), i, dotQuoted(label).c_str(),
                     label == "?" ? ", fontcolor=red" : "");
    }
    for (std::size_t i = 0; i < picture.children.size(); ++i)
        for (std::size_t child : picture.children[i])
            std::fprintf(out, "        %s%zu -> %s%zu;\n", prefix.c_str(), i, prefix.c_str(), child);
}

}  // namespace

void showTrees(const std::vector<GrammarTrees>& grammars, bool rules)
{
    std::vector<Block> blocks;
    for (const GrammarTrees& grammar : grammars)
        blocks.push_back(drawBlock(grammar, rules));
    showBlocks(blocks);
}

void beginDot(std::FILE* out)
{
    std::fputs("digraph calcexplain {\n  labelloc=t;\n  ordering=out;\n"
               "  node [shape=plaintext, fontname=monospace];\n",
               out);
}

// The name of a picture's first root in DOT, or "" if it has no node.
std::string firstNode(const Picture& picture, const std::string& prefix)
{
    if (picture.tooLarge)
        return prefix;
    return picture.roots.empty() ? "" : prefix + std::to_string(picture.roots.front());
}

// A line's cluster is unframed: its label heads the grammars' frames. Left
// to itself Graphviz orders clusters within a cluster as it likes; an
// invisible node above them, with an edge to each grammar's trees in turn
// (ordering=out), sets the grammars left to right as written.
void writeDotLine(std::FILE* out, int number, std::string_view line, const std::vector<GrammarTrees>& grammars)
{
    std::string top = numbered("l", number);
    std::fprintf(out, "  subgraph cluster_%d {\n    label=%s;\n    peripheries=0;\n", number,
                 dotQuoted(line.substr(0, line.find('\n'))).c_str());
    std::fprintf(out, "    %s [style=invis, label=\"\", width=0, height=0];\n", top.c_str());
    std::string order;
    for (std::size_t g = 0; g < grammars.size(); ++g) {
        const GrammarTrees& grammar = grammars[g];
        std::string verdict = grammar.accepted ? numbered(" = ", grammar.value)
                                               : numbered(": stopped at column ", grammar.column);
        std::string cluster = numbered("cluster_", number, "_") + std::to_string(g);
        std::fprintf(out, "    subgraph %s {\n      label=%s;\n      peripheries=1;\n", cluster.c_str(),
                     dotQuoted(grammar.name + verdict).c_str());
        const std::pair<const char*, const Picture*> kinds[] = {{"expression", &grammar.expression},
                                                                {"rules", &grammar.rules}};
        bool ordered = false;
        for (auto [kind, picture] : kinds) {
            std::fprintf(out, "      subgraph %s%c {\n        label=%s;\n", cluster.c_str(), kind[0],
                         dotQuoted(kind).c_str());
            std::string prefix = top + "g" + std::to_string(g) + kind[0];
            writeDot(out, *picture, prefix);
            std::fputs("      }\n", out);
            std::string first = firstNode(*picture, prefix);
            if (!first.empty() && !ordered)
                order += " " + first;
            ordered = ordered || !first.empty();
        }
        std::fputs("    }\n", out);
    }
    std::fprintf(out, "    %s -> {%s } [style=invis];\n  }\n", top.c_str(), order.c_str());
}

void endDot(std::FILE* out)
{
    std::fputs("}\n", out);
}
