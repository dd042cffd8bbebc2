#include "DetMath.h"

#include <cmath>

namespace detmath {

namespace {

constexpr double kHalfPi = 0.5 * kPi;
constexpr double kLn2 = 0.69314718055994530942;

// Taylor series of sin on [-pi/2, pi/2]; the error stays below 1e-15.
double SinKernel(double x)
{
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n <= 11; ++n) {
        term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

} // namespace

double Sin(double x)
{
    const double turns = std::floor(x / kTwoPi + 0.5);
    double r = x - turns * kTwoPi; // now in [-pi, pi]
    if (r > kHalfPi) {
        r = kPi - r;
    } else if (r < -kHalfPi) {
        r = -kPi - r;
    }
    return SinKernel(r);
}

double Cos(double x) { return Sin(x + kHalfPi); }

double Tan(double x) { return Sin(x) / Cos(x); }

double Exp(double x)
{
    if (x < -700.0) {
        return 0.0;
    }
    if (x > 700.0) {
        x = 700.0;
    }
    const double k = std::floor(x / kLn2 + 0.5);
    const double r = x - k * kLn2;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 14; ++n) {
        term = term * r / static_cast<double>(n);
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double Log(double x)
{
    if (x <= 0.0) {
        return -745.0;
    }
    int exponent = 0;
    double m = std::frexp(x, &exponent); // m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        exponent -= 1;
    }
    // ln(m) = 2 atanh(s) with s = (m - 1) / (m + 1), |s| < 0.172
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double term = s;
    double sum = s;
    for (int n = 1; n <= 12; ++n) {
        term *= s2;
        sum += term / static_cast<double>(2 * n + 1);
    }
    return 2.0 * sum + static_cast<double>(exponent) * kLn2;
}

double Pow(double base, double exponent) { return Exp(exponent * Log(base)); }

double Atan(double x)
{
    if (x < 0.0) {
        return -Atan(-x);
    }
    if (x > 1.0) {
        return kHalfPi - Atan(1.0 / x);
    }
    // Two halvings bring x below tan(pi/16), where the series converges fast.
    double y = x;
    for (int i = 0; i < 2; ++i) {
        y = y / (1.0 + std::sqrt(1.0 + y * y));
    }
    const double y2 = y * y;
    double term = y;
    double sum = y;
    for (int n = 1; n <= 14; ++n) {
        term = -term * y2;
        sum += term / static_cast<double>(2 * n + 1);
    }
    return 4.0 * sum;
}

double Atan2(double y, double x)
{
    if (x > 0.0) {
        return Atan(y / x);
    }
    if (x < 0.0) {
        return y >= 0.0 ? Atan(y / x) + kPi : Atan(y / x) - kPi;
    }
    if (y > 0.0) {
        return kHalfPi;
    }
    return y < 0.0 ? -kHalfPi : 0.0;
}

double Tanh(double x)
{
    if (x > 20.0) {
        return 1.0;
    }
    if (x < -20.0) {
        return -1.0;
    }
    const double e = Exp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

double NoteFrequency(double note) { return 440.0 * Exp((note - 69.0) / 12.0 * kLn2); }

} // namespace detmath
