#pragma once

// std::bit_cast for em++ 3.1.6, whose libc++ lacks it: the same job done by
// the compiler's builtin. Included into every source of the wasm build only
// (wasm32-emscripten.cmake), so that the sources stay as they are.
#if defined(__cplusplus) && __cplusplus >= 202002L
#include <type_traits>
#include <version>
#ifndef __cpp_lib_bit_cast
namespace std {
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
#endif
