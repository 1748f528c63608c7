#pragma once

// calcexplain's command line: what --help says, and the options read into
// what each line's explanation shows.

#include <vector>

// What to show of each line.
struct Settings {
    bool steps;     // each grammar's arithmetic steps
    bool trace;     // --trace: each grammar's rules as they run
    bool tree;      // the expression trees, drawn
    bool ruleTree;  // the trees of rule calls, drawn
    bool dot;       // both, in DOT, and nothing else
    bool json;      // everything, as one JSON document, and nothing else
};

// Reads the options, GNU style: anywhere before "--", which ends them.
// Returns the LINEs; a usage error ends the process with status 2.
std::vector<char*> readOptions(int argc, char** argv, Settings& settings);
