# 64-bit SPARC Linux with Debian's cross compiler (g++-sparc64-linux-gnu);
# the programs run under qemu-user (qemu-sparc64) against the cross libc.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc64)
set(CMAKE_CXX_COMPILER sparc64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-sparc64 -L /usr/sparc64-linux-gnu)

set(CMAKE_FIND_ROOT_PATH /usr/sparc64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically for the emulator's sake. SPARC's procedure linkage table
# is writable code, and the linker puts it on the same page as the programs'
# variables; qemu-user then translates that page's code anew after every
# write to a variable, which makes a calculator some 200 times slower and
# its memory grow with the input. A static program has no such table.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
