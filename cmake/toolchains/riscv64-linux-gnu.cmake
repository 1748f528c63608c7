# 64-bit RISC-V Linux: g++-riscv64-linux-gnu, run under qemu-riscv64.
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(CROSS_TRIPLET riscv64-linux-gnu)
set(CROSS_QEMU qemu-riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/cross-linux-gnu.cmake)
