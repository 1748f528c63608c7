# 32-bit x86 Linux: g++-i686-linux-gnu, run under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-linux-gnu)
set(CROSS_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
