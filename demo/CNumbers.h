#pragma once

#include <cstdint>

// Number words converted as the C runtime of the platform the scripts were
// written for converts them: leading white space, an optional sign, digits,
// stopping at the first other character; no digits give 0. Never fails.
//
// long is 32 bits there, so atoi and atol are the same and saturate at the
// 32-bit limits instead of overflowing.
int32_t CAtoi(const char* text);
inline int32_t CAtol(const char* text) { return CAtoi(text); }
// Decimal digits, a decimal point and an exponent only: no "inf", "nan" or
// hexadecimal forms, which that runtime did not read either.
double CAtof(const char* text);
