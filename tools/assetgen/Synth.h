#pragma once

#include "Random.h"

#include <cstddef>
#include <vector>

constexpr int kSampleRate = 44100;

// A stereo signal being mixed, sample by sample.
struct StereoBus {
    std::vector<float> left;
    std::vector<float> right;

    explicit StereoBus(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t Frames() const { return left.size(); }
    void Add(size_t frame, double l, double r)
    {
        if (frame < left.size()) {
            left[frame] += static_cast<float>(l);
            right[frame] += static_cast<float>(r);
        }
    }
    void Mix(const StereoBus& other, double gain);
};

// Band-limited sawtooth with polynomial smoothing of its jump.
class SawOscillator {
public:
    explicit SawOscillator(double phase = 0.0) : phase_(phase) {}
    double Next(double frequency);

private:
    double phase_;
};

// Trapezoidal state-variable filter.
class StateVariableFilter {
public:
    void SetCutoff(double hertz, double resonance);
    double LowPass(double input);
    double HighPass(double input);
    double BandPass(double input);

private:
    void Tick(double input);
    double a1_ = 0.0, a2_ = 0.0, a3_ = 0.0, k_ = 1.0;
    double ic1_ = 0.0, ic2_ = 0.0;
    double low_ = 0.0, band_ = 0.0, high_ = 0.0;
};

// The instruments of the track. Start and length are in frames, notes are
// MIDI note numbers, pan runs from -1 (left) to 1 (right).
namespace instrument {
void Kick(StereoBus& bus, size_t start, double gain);
void Snare(StereoBus& bus, size_t start, double gain, Random& random);
void HiHat(StereoBus& bus, size_t start, double gain, double decaySeconds, double pan, Random& random);
void Crash(StereoBus& bus, size_t start, double gain, Random& random);
void Riser(StereoBus& bus, size_t start, size_t length, double gain, Random& random);
void Bass(StereoBus& bus, size_t start, size_t length, double note, double gain);
void Pad(StereoBus& bus, size_t start, size_t length, double note, double gain, double cutoff, double pan);
void Pluck(StereoBus& bus, size_t start, double note, double gain, double cutoff, double pan);
void Lead(StereoBus& bus, size_t start, size_t length, double note, double fromNote, double gain);
} // namespace instrument

// Room reverb after Jezar's public-domain design: eight combs and four
// all-passes per side.
void AddReverb(const StereoBus& send, StereoBus& out, double roomSize, double damping, double gain);
// Echo that alternates sides, fed back through a gentle low-pass.
void AddPingPongDelay(const StereoBus& send, StereoBus& out, size_t delayFrames, double feedback, double gain);
