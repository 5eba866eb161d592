#include "base/Number.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// Longest digit count FormatNumber pads to; a plain int never needs more.
constexpr int kMaxDigits = 64;

} // namespace

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

long long AtolValue(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long value = 0;
    const unsigned long long limit = negative ? 1ULL + LLONG_MAX : LLONG_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (limit - digit) / 10) {
            value = limit;
            break;
        }
        value = value * 10 + digit;
    }
    if (negative)
        return value == 1ULL + LLONG_MAX ? LLONG_MIN : -static_cast<long long>(value);
    return static_cast<long long>(value);
}

std::int32_t AtolInt32(const std::string& text)
{
    return ClampInt32(AtolValue(text));
}

std::int32_t ClampInt32(long long value)
{
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::string FormatNumber(int value, int digits)
{
    char buffer[kMaxDigits + 16];
    if (digits <= 0)
        std::snprintf(buffer, sizeof buffer, "%d", value);
    else
        std::snprintf(buffer, sizeof buffer, "%.*d", std::min(digits, kMaxDigits), value);
    return buffer;
}
