// Part 3: the distributive law fails in single precision. a and b almost
// cancel; (a+b)*10 and a*10 + b*10 come out different. Every value is shown
// as its bit pattern and in decimal.

#include "precision.h"

#include <bit>
#include <cstdint>
#include <cstdio>

// Program-wide, and every intermediate result is stored in one of them, so
// each step is rounded to single precision where a reader can see it.
float a, b, c, d, e, s, t;

static_assert(sizeof(unsigned) == sizeof(std::uint32_t), "%x prints a 32-bit pattern");

// The 32-bit encoding of x, for "%x".
static unsigned bits(float x)
{
    return std::bit_cast<std::uint32_t>(x);
}

void part3()
{
    std::printf("\nPART 3: \n");
    a = 0.1f;                                // 0x3dcccccd, just above 0.1
    b = std::bit_cast<float>(0xbdccccccu);   // minus the float just below 0.1
    std::printf("a = %x(hex) %e(dec)\n", bits(a), static_cast<double>(a));
    std::printf("b = %x(hex) %e(dec)\n", bits(b), static_cast<double>(b));

    c = a + b;
    std::printf("a + b = %x(hex) %e\n", bits(c), static_cast<double>(c));

    d = a * 10.0f;
    e = b * 10.0f;
    std::printf("a*10 = %x(hex) %e(dec)\n", bits(d), static_cast<double>(d));
    std::printf("b*10 = %x(hex) %e(dec)\n", bits(e), static_cast<double>(e));

    t = a + b;
    d = t * 10.0f;
    std::printf("Part3 Line1: (a+b)*10 = %x(hex) (%e(dec))\n", bits(d), static_cast<double>(d));

    s = a * 10.0f;
    t = b * 10.0f;
    e = s + t;
    std::printf("Part3 Line2: (a*10) + (b*10) = %x(hex)(%e (dec))\n\n", bits(e), static_cast<double>(e));
}
