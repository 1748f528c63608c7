// The stack protector's canary and its failure, which emscripten's libc
// leaves out. The wasm build protects the calculators' functions so that
// each keeps a frame on the stack in linear memory, where the depth guard
// can see it (calculator/depth.cpp); a canary found overwritten aborts.

#include <cstdint>
#include <cstdlib>

extern "C" {
std::uintptr_t __stack_chk_guard = 0x5f3759df;

[[noreturn]] void __stack_chk_fail()
{
    std::abort();
}
}
