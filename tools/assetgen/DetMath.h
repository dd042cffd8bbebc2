#pragma once

// Transcendental functions computed by our own polynomials, so that the
// generated assets do not depend on which libm variant the machine picks.
namespace detmath {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

double Sin(double x);
double Cos(double x);
double Tan(double x);
double Exp(double x);
double Log(double x);
double Pow(double base, double exponent);
double Atan(double x);
double Atan2(double y, double x);
double Tanh(double x);

inline double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline double SmoothStep(double e0, double e1, double x)
{
    const double t = Clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Frequency of a MIDI note number, A4 = 69 = 440 Hz.
double NoteFrequency(double note);

} // namespace detmath
