#include "numbers.h"

bool isWhole(std::string_view text)
{
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<long long> readWhole(std::string_view text, long long low, long long high)
{
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    // The magnitude, held at a bound past which the range cannot reach: no
    // overflow, and a thousand digits are as far out of range as twenty.
    constexpr unsigned long long beyond = 1ULL << 63;
    unsigned long long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        auto digit = static_cast<unsigned>(c - '0');
        magnitude = magnitude > (beyond - digit) / 10 ? beyond + 1 : magnitude * 10 + digit;
    }
    if (magnitude > beyond || (!negative && magnitude == beyond))
        return std::nullopt;
    long long value = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}
