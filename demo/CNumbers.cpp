#include "demo/CNumbers.h"

#include <cstdlib>
#include <string>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipSpace(const char* p)
{
    while (IsCSpace(*p))
        ++p;
    return p;
}

const char* SkipDigits(const char* p)
{
    while (IsDigit(*p))
        ++p;
    return p;
}

} // namespace

int32_t CAtoi(const char* text)
{
    const char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int64_t value = 0;
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    for (; IsDigit(*p); ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit)
            value = limit;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

double CAtof(const char* text)
{
    const char* begin = SkipSpace(text);
    const char* p = begin;
    if (*p == '+' || *p == '-')
        ++p;
    const char* mantissa = p;
    p = SkipDigits(p);
    bool anyDigit = p != mantissa;
    if (*p == '.') {
        const char* fraction = p + 1;
        p = SkipDigits(fraction);
        anyDigit = anyDigit || p != fraction;
    }
    if (!anyDigit)
        return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-')
            ++exponent;
        if (IsDigit(*exponent))
            p = SkipDigits(exponent);
    }
    // strtod on exactly the accepted prefix rounds as the C library does.
    const std::string number(begin, p);
    return std::strtod(number.c_str(), nullptr);
}
