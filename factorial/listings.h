#pragma once

// fact's machine code in the plain and the optimised build, as listings to
// read: each block of instructions under the source line it came from, the
// self-call and the loop's back branch marked. Made when the suite is built,
// from the compiler's assembly of fact.cpp with each build's own options, by
// the formatter that writes the asm target's listings
// (cmake/FormatAssembly.cmake): row by row, each with its printed text and
// what that text says, so that a program prints one and reads the other.

#include <cstddef>

enum class RowKind { function, label, source, instruction, dataLabel, data, blank };

// One line of a listing. The strings are empty and the line 0 where the
// row has none.
struct ListingRow {
    RowKind kind;
    const char* file;   // the source line it stands for: file name...
    int line;           // ...and number, on a source heading or an instruction
    const char* label;  // the code label just above an instruction
    const char* note;   // an instruction's mark: "calls itself", "back to .L4"
    const char* code;   // an instruction as written, without indent or mark
    const char* text;   // the line as the listing prints it
};

struct Listing {
    const ListingRow* rows;
    std::size_t size;
};

extern const Listing factListingPlain;
extern const Listing factListingOpt;

// fact.cpp itself, as the listings' source lines number it.
extern const char factSource[];
