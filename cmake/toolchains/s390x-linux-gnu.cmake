# big-endian 64-bit IBM Z Linux: g++-s390x-linux-gnu, run under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CROSS_TRIPLET s390x-linux-gnu)
set(CROSS_QEMU qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
