// Decimals as strings of digits, added and doubled digit by digit.

#include "digits.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

// The digits of x and y with the same exponent, the lower of the two.
void align(Decimal& x, Decimal& y)
{
    int exponent = std::min(x.exponent, y.exponent);
    x.digits.append(static_cast<std::size_t>(x.exponent - exponent), '0');
    y.digits.append(static_cast<std::size_t>(y.exponent - exponent), '0');
    x.exponent = y.exponent = exponent;
    std::size_t width = std::max(x.digits.size(), y.digits.size());
    x.digits.insert(0, width - x.digits.size(), '0');
    y.digits.insert(0, width - y.digits.size(), '0');
}

// x + y, or x - y with x >= y, on aligned digits.
std::string addDigits(const std::string& x, const std::string& y, bool subtract)
{
    std::string result(x.size() + 1, '0');
    int carry = 0;
    for (std::size_t k = x.size(); k-- > 0;) {
        int digit = (x[k] - '0') + (subtract ? -(y[k] - '0') : y[k] - '0') + carry;
        carry = digit < 0 ? -1 : digit / 10;
        result[k + 1] = static_cast<char>('0' + (digit + 10) % 10);
    }
    result[0] = static_cast<char>('0' + carry);
    return result;
}

}  // namespace

Decimal normalised(Decimal x)
{
    std::size_t first = x.digits.find_first_not_of('0');
    x.digits.erase(0, first == std::string::npos ? x.digits.size() - 1 : first);
    if (x.digits == "0")
        x = {false, "0", 0};
    return x;
}

Decimal decimalFromText(const std::string& text)
{
    bool negative = text[0] == '-';
    std::string digits = text.substr(negative ? 1 : 0);
    std::size_t point = digits.find('.');
    int exponent = 0;
    if (point != std::string::npos) {
        exponent = -static_cast<int>(digits.size() - point - 1);
        digits.erase(point, 1);
    }
    return normalised({negative, digits, exponent});
}

Decimal difference(Decimal x, Decimal y)
{
    align(x, y);
    if (x.negative != y.negative)
        return normalised({x.negative, addDigits(x.digits, y.digits, false), x.exponent});
    if (x.digits >= y.digits)
        return normalised({x.negative, addDigits(x.digits, y.digits, true), x.exponent});
    return normalised({!x.negative, addDigits(y.digits, x.digits, true), x.exponent});
}

// x * 2^exponent, exactly: doubled, or halved as five times a tenth.
Decimal timesPowerOfTwo(Decimal x, int exponent)
{
    int factor = exponent > 0 ? 2 : 5;
    for (int n = 0; n < std::abs(exponent); ++n) {
        std::string product(x.digits.size() + 1, '0');
        int carry = 0;
        for (std::size_t k = x.digits.size(); k-- > 0;) {
            int digit = (x.digits[k] - '0') * factor + carry;
            product[k + 1] = static_cast<char>('0' + digit % 10);
            carry = digit / 10;
        }
        product[0] = static_cast<char>('0' + carry);
        x.digits = product;
        x.exponent -= exponent < 0;
    }
    return normalised(x);
}

bool isZero(const Decimal& x)
{
    return x.digits == "0";
}

int compareMagnitudes(Decimal x, Decimal y)
{
    align(x, y);
    return x.digits < y.digits ? -1 : x.digits > y.digits ? 1 : 0;
}

std::string plain(const Decimal& x)
{
    std::string digits = x.digits;
    if (x.exponent >= 0) {
        digits.append(static_cast<std::size_t>(x.exponent), '0');
    } else {
        auto places = static_cast<std::size_t>(-x.exponent);
        if (digits.size() <= places)
            digits.insert(0, places + 1 - digits.size(), '0');
        digits.insert(digits.end() - static_cast<std::ptrdiff_t>(places), '.');
    }
    return (x.negative ? "-" : "+") + digits;
}

std::string cut(const std::string& text, int significant)
{
    std::size_t end = 0;
    for (int seen = 0; end < text.size() && seen < significant; ++end)
        if (std::isdigit(static_cast<unsigned char>(text[end])) && (seen > 0 || text[end] != '0'))
            ++seen;
    if (text.find_first_not_of("0.", end) == std::string::npos) {
        std::string shown = text;
        if (shown.find('.') != std::string::npos)
            shown.erase(shown.find_last_not_of('0') + 1);
        if (shown.back() == '.')
            shown.pop_back();
        return shown;
    }
    return text.substr(0, end) + "...";
}
