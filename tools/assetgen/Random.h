#pragma once

#include <cstdint>

// A small seeded generator (SplitMix64) whose sequence is the same on every
// platform, unlike the standard library's distributions.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        state_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

    // Uniform in [-1, 1).
    double Signed() { return Unit() * 2.0 - 1.0; }

    // Uniform integer in [0, count).
    int Below(int count) { return static_cast<int>(Next() % static_cast<uint64_t>(count)); }

private:
    uint64_t state_;
};
