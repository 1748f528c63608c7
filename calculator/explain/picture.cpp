// Drawing a small tree as text, top down as on a board, and as DOT.

#include "picture.h"

#include <algorithm>
#include <cinttypes>

void writePictureSize(std::FILE* out, std::size_t nodes)
{
    if (nodes > largestPicture)
        std::fputs("-\n", out);
    else
        std::fprintf(out, "%zu\n", nodes);
}

void writePictureNode(std::FILE* out, long parent, std::string_view label)
{
    std::fprintf(out, "%ld %.*s\n", parent, static_cast<int>(label.size()), label.data());
}

Picture readPicture(std::FILE* in)
{
    Picture picture{false, {}, {}, {}};
    std::size_t size = 0;
    if (std::fscanf(in, "%zu", &size) != 1) {
        picture.tooLarge = true;
        return picture;
    }
    std::fgetc(in);
    for (std::size_t i = 0; i < size; ++i) {
        long parent = noParent;
        if (std::fscanf(in, "%ld", &parent) != 1 || std::fgetc(in) != ' ')
            break;
        std::string label;
        for (int c; (c = std::fgetc(in)) != EOF && c != '\n';)
            label += static_cast<char>(c);
        picture.labels.push_back(label);
        picture.children.emplace_back();
        if (parent >= 0 && static_cast<std::size_t>(parent) < i)
            picture.children[static_cast<std::size_t>(parent)].push_back(i);
        else
            picture.roots.push_back(i);
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

void writeDot(std::FILE* out, const Picture& picture, const std::string& prefix)
{
    if (picture.tooLarge) {
        std::fprintf(out, "      %s [label=\"more than %zu nodes: too many to draw\"];\n", prefix.c_str(), largestPicture);
        return;
    }
    for (std::size_t i = 0; i < picture.labels.size(); ++i) {
        const std::string& label = picture.labels[i];
        std::fprintf(out, "      %s%zu [label=%s%s];\n", prefix.c_str(), i, dotQuoted(label).c_str(),
                     label == "?" ? ", fontcolor=red" : "");
    }
    for (std::size_t i = 0; i < picture.children.size(); ++i)
        for (std::size_t child : picture.children[i])
            std::fprintf(out, "      %s%zu -> %s%zu;\n", prefix.c_str(), i, prefix.c_str(), child);
}
