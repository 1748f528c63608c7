# Shared by the cross toolchain files: Debian's cross compiler for
# ${CROSS_TRIPLET}, its libc under /usr/${CROSS_TRIPLET}, and qemu-user
# (${CROSS_QEMU}) to run the programs, which CTest puts in front of them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CROSS_QEMU} -L /usr/${CROSS_TRIPLET})

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically, for the emulator's sake: under qemu-user 7.2 a
# dynamically linked i686 program that forks (calcexplain does) hangs or
# crashes in the child, inside glibc; a static one forks as it should.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
