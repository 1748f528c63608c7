# 64-bit SPARC Linux: g++-sparc64-linux-gnu, run under qemu-sparc64.
set(CMAKE_SYSTEM_PROCESSOR sparc64)
set(CROSS_TRIPLET sparc64-linux-gnu)
set(CROSS_QEMU qemu-sparc64)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)

# Static linking (cross-linux-gnu.cmake) also matters for speed here. SPARC's
# procedure linkage table is writable code, and the linker puts it on the
# same page as the programs' variables; qemu-user then translates that
# page's code anew after every write to a variable, which makes a
# dynamically linked calculator some 200 times slower and its memory grow
# with the input. A static program has no such table.
