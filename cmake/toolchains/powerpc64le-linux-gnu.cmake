# little-endian 64-bit POWER Linux: g++-powerpc64le-linux-gnu, run under qemu-ppc64le.
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(CROSS_TRIPLET powerpc64le-linux-gnu)
set(CROSS_QEMU qemu-ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
