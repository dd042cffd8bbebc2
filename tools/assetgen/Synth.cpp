#include "Synth.h"

#include "DetMath.h"

#include <algorithm>
#include <cmath>

using detmath::Exp;
using detmath::NoteFrequency;
using detmath::Sin;

void StereoBus::Mix(const StereoBus& other, double gain)
{
    for (size_t i = 0; i < left.size() && i < other.left.size(); ++i) {
        left[i] += static_cast<float>(other.left[i] * gain);
        right[i] += static_cast<float>(other.right[i] * gain);
    }
}

namespace {

double PolyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Per-frame multiplier of an exponential decay with the given time constant.
double DecayFactor(double seconds) { return Exp(-1.0 / (seconds * kSampleRate)); }

size_t Seconds(double s) { return static_cast<size_t>(s * kSampleRate); }

void PanGains(double pan, double& left, double& right)
{
    // Constant power panning.
    const double angle = (pan + 1.0) * 0.25 * detmath::kPi;
    left = detmath::Cos(angle);
    right = Sin(angle);
}

} // namespace

double SawOscillator::Next(double frequency)
{
    const double dt = frequency / kSampleRate;
    const double value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
    phase_ += dt;
    if (phase_ >= 1.0) {
        phase_ -= 1.0;
    }
    return value;
}

void StateVariableFilter::SetCutoff(double hertz, double resonance)
{
    const double fc = std::clamp(hertz, 20.0, 0.45 * kSampleRate);
    const double g = detmath::Tan(detmath::kPi * fc / kSampleRate);
    k_ = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.95);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

void StateVariableFilter::Tick(double input)
{
    const double v3 = input - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low_ = v2;
    band_ = v1;
    high_ = input - k_ * v1 - v2;
}

double StateVariableFilter::LowPass(double input)
{
    Tick(input);
    return low_;
}

double StateVariableFilter::HighPass(double input)
{
    Tick(input);
    return high_;
}

double StateVariableFilter::BandPass(double input)
{
    Tick(input);
    return band_;
}

namespace instrument {

void Kick(StereoBus& bus, size_t start, double gain)
{
    const size_t length = Seconds(0.5);
    double phase = 0.0;
    double amp = 1.0;
    double pitch = 1.0;
    const double ampDecay = DecayFactor(0.22);
    const double pitchDecay = DecayFactor(0.035);
    for (size_t i = 0; i < length; ++i) {
        const double frequency = 44.0 + 120.0 * pitch;
        phase += frequency / kSampleRate;
        const double attack = std::min(1.0, static_cast<double>(i) / 40.0);
        double s = Sin(detmath::kTwoPi * phase) * amp * attack;
        if (i < 200) {
            s += 0.3 * (1.0 - i / 200.0) * Sin(detmath::kTwoPi * phase * 7.3);
        }
        s = detmath::Tanh(1.6 * s) * gain;
        bus.Add(start + i, s, s);
        amp *= ampDecay;
        pitch *= pitchDecay;
    }
}

void Snare(StereoBus& bus, size_t start, double gain, Random& random)
{
    const size_t length = Seconds(0.35);
    StateVariableFilter noiseFilter;
    noiseFilter.SetCutoff(2500.0, 0.2);
    double toneAmp = 1.0, noiseAmp = 1.0, phase = 0.0;
    const double toneDecay = DecayFactor(0.05), noiseDecay = DecayFactor(0.1);
    for (size_t i = 0; i < length; ++i) {
        phase += (180.0 + 60.0 * toneAmp) / kSampleRate;
        const double tone = Sin(detmath::kTwoPi * phase) * toneAmp * 0.6;
        const double noise = noiseFilter.HighPass(random.Signed()) * noiseAmp;
        const double s = (tone + noise * 0.8) * gain;
        bus.Add(start + i, s * 0.95, s);
        toneAmp *= toneDecay;
        noiseAmp *= noiseDecay;
    }
}

void HiHat(StereoBus& bus, size_t start, double gain, double decaySeconds, double pan, Random& random)
{
    const size_t length = Seconds(decaySeconds * 6.0);
    StateVariableFilter filter;
    filter.SetCutoff(8000.0, 0.3);
    double amp = 1.0;
    const double decay = DecayFactor(decaySeconds);
    double l, r;
    PanGains(pan, l, r);
    for (size_t i = 0; i < length; ++i) {
        const double s = filter.HighPass(random.Signed()) * amp * gain;
        bus.Add(start + i, s * l, s * r);
        amp *= decay;
    }
}

void Crash(StereoBus& bus, size_t start, double gain, Random& random)
{
    const size_t length = Seconds(3.0);
    StateVariableFilter left, right;
    left.SetCutoff(5000.0, 0.1);
    right.SetCutoff(5200.0, 0.1);
    double amp = 1.0;
    const double decay = DecayFactor(0.7);
    for (size_t i = 0; i < length; ++i) {
        const double attack = std::min(1.0, static_cast<double>(i) / 100.0);
        bus.Add(start + i, left.HighPass(random.Signed()) * amp * gain * attack,
                right.HighPass(random.Signed()) * amp * gain * attack);
        amp *= decay;
    }
}

void Riser(StereoBus& bus, size_t start, size_t length, double gain, Random& random)
{
    StateVariableFilter left, right;
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(length);
        if (i % 64 == 0) {
            left.SetCutoff(300.0 * detmath::Pow(30.0, t), 0.6);
            right.SetCutoff(320.0 * detmath::Pow(30.0, t), 0.6);
        }
        const double amp = gain * t * t;
        bus.Add(start + i, left.BandPass(random.Signed()) * amp, right.BandPass(random.Signed()) * amp);
    }
}

void Bass(StereoBus& bus, size_t start, size_t length, double note, double gain)
{
    const double frequency = NoteFrequency(note);
    SawOscillator saw;
    StateVariableFilter filter;
    const size_t release = Seconds(0.03);
    double envelope = 1.0;
    const double envelopeDecay = DecayFactor(0.09);
    double subPhase = 0.0;
    for (size_t i = 0; i < length + release; ++i) {
        if (i % 16 == 0) {
            filter.SetCutoff(180.0 + 1400.0 * envelope, 0.35);
        }
        const double attack = std::min(1.0, static_cast<double>(i) / 60.0);
        const double fade = i < length ? 1.0 : 1.0 - static_cast<double>(i - length) / static_cast<double>(release);
        subPhase += frequency / kSampleRate;
        const double s = (filter.LowPass(saw.Next(frequency)) * 0.6 + Sin(detmath::kTwoPi * subPhase) * 0.55) *
                         attack * fade * gain;
        bus.Add(start + i, s, s);
        envelope *= envelopeDecay;
    }
}

void Pad(StereoBus& bus, size_t start, size_t length, double note, double gain, double cutoff, double pan)
{
    const double detune[3] = {-0.11, 0.0, 0.12};
    SawOscillator saws[3] = {SawOscillator(0.0), SawOscillator(0.33), SawOscillator(0.71)};
    StateVariableFilter filter;
    filter.SetCutoff(cutoff, 0.15);
    const size_t attack = Seconds(0.35);
    const size_t release = Seconds(0.9);
    double l, r;
    PanGains(pan, l, r);
    for (size_t i = 0; i < length + release; ++i) {
        double level = std::min(1.0, static_cast<double>(i) / static_cast<double>(attack));
        if (i >= length) {
            level *= 1.0 - static_cast<double>(i - length) / static_cast<double>(release);
        }
        double s = 0.0;
        for (int v = 0; v < 3; ++v) {
            s += saws[v].Next(NoteFrequency(note + detune[v]));
        }
        s = filter.LowPass(s / 3.0) * level * gain;
        bus.Add(start + i, s * l, s * r);
    }
}

void Pluck(StereoBus& bus, size_t start, double note, double gain, double cutoff, double pan)
{
    const double frequency = NoteFrequency(note);
    const size_t length = Seconds(0.5);
    SawOscillator saw;
    StateVariableFilter filter;
    double envelope = 1.0;
    const double decay = DecayFactor(0.12);
    double l, r;
    PanGains(pan, l, r);
    for (size_t i = 0; i < length; ++i) {
        if (i % 16 == 0) {
            filter.SetCutoff(200.0 + cutoff * envelope, 0.3);
        }
        const double attack = std::min(1.0, static_cast<double>(i) / 30.0);
        const double s = filter.LowPass(saw.Next(frequency)) * envelope * attack * gain;
        bus.Add(start + i, s * l, s * r);
        envelope *= decay;
    }
}

void Lead(StereoBus& bus, size_t start, size_t length, double note, double fromNote, double gain)
{
    SawOscillator saw, pulseA(0.0), pulseB(0.5);
    StateVariableFilter filter;
    const size_t glide = Seconds(0.035);
    const size_t release = Seconds(0.08);
    double envelope = 1.0;
    const double decay = DecayFactor(0.25);
    for (size_t i = 0; i < length + release; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double pitch = note;
        if (i < glide) {
            pitch = fromNote + (note - fromNote) * static_cast<double>(i) / static_cast<double>(glide);
        }
        const double vibratoDepth = std::clamp((t - 0.18) / 0.3, 0.0, 1.0) * 0.16;
        pitch += vibratoDepth * Sin(detmath::kTwoPi * 5.4 * t);
        const double frequency = NoteFrequency(pitch);
        if (i % 16 == 0) {
            filter.SetCutoff(1200.0 + 3800.0 * envelope, 0.25);
        }
        const double square = pulseA.Next(frequency) - pulseB.Next(frequency);
        const double raw = 0.55 * saw.Next(frequency * 1.003) + 0.45 * square;
        double level = std::min(1.0, static_cast<double>(i) / 200.0);
        if (i >= length) {
            level *= 1.0 - static_cast<double>(i - length) / static_cast<double>(release);
        }
        const double s = filter.LowPass(raw) * level * gain * (0.75 + 0.25 * envelope);
        bus.Add(start + i, s, s);
        envelope *= decay;
    }
}

} // namespace instrument

namespace {

class Comb {
public:
    explicit Comb(size_t size) : buffer_(size, 0.0) {}
    double Process(double input, double feedback, double damping)
    {
        const double output = buffer_[index_];
        store_ = output * (1.0 - damping) + store_ * damping;
        buffer_[index_] = input + store_ * feedback;
        index_ = (index_ + 1) % buffer_.size();
        return output;
    }

private:
    std::vector<double> buffer_;
    size_t index_ = 0;
    double store_ = 0.0;
};

class AllPass {
public:
    explicit AllPass(size_t size) : buffer_(size, 0.0) {}
    double Process(double input)
    {
        const double delayed = buffer_[index_];
        const double output = delayed - input;
        buffer_[index_] = input + delayed * 0.5;
        index_ = (index_ + 1) % buffer_.size();
        return output;
    }

private:
    std::vector<double> buffer_;
    size_t index_ = 0;
};

} // namespace

void AddReverb(const StereoBus& send, StereoBus& out, double roomSize, double damping, double gain)
{
    const size_t combSizes[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const size_t allPassSizes[4] = {556, 441, 341, 225};
    constexpr size_t kSpread = 23;
    for (int side = 0; side < 2; ++side) {
        std::vector<Comb> combs;
        std::vector<AllPass> allPasses;
        for (size_t size : combSizes) {
            combs.emplace_back(size + (side == 1 ? kSpread : 0));
        }
        for (size_t size : allPassSizes) {
            allPasses.emplace_back(size + (side == 1 ? kSpread : 0));
        }
        const double feedback = 0.7 + 0.28 * roomSize;
        std::vector<float>& target = side == 0 ? out.left : out.right;
        for (size_t i = 0; i < send.Frames(); ++i) {
            const double input = (send.left[i] + send.right[i]) * 0.015;
            double sum = 0.0;
            for (Comb& comb : combs) {
                sum += comb.Process(input, feedback, damping);
            }
            for (AllPass& allPass : allPasses) {
                sum = allPass.Process(sum);
            }
            target[i] += static_cast<float>(sum * gain);
        }
    }
}

void AddPingPongDelay(const StereoBus& send, StereoBus& out, size_t delayFrames, double feedback, double gain)
{
    std::vector<double> left(delayFrames, 0.0), right(delayFrames, 0.0);
    double toneLeft = 0.0, toneRight = 0.0;
    size_t index = 0;
    for (size_t i = 0; i < send.Frames(); ++i) {
        const double echoLeft = left[index];
        const double echoRight = right[index];
        toneLeft += 0.35 * (echoRight - toneLeft);
        toneRight += 0.35 * (echoLeft - toneRight);
        left[index] = (send.left[i] + send.right[i]) * 0.5 + toneLeft * feedback;
        right[index] = toneRight * feedback;
        index = (index + 1) % delayFrames;
        out.left[i] += static_cast<float>(echoLeft * gain);
        out.right[i] += static_cast<float>(echoRight * gain);
    }
}
