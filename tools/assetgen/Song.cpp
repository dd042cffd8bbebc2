#include "Song.h"

#include "DetMath.h"
#include "Synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>

namespace {

// The eight-position sections of the track.
enum class Section { Intro, Groove, Drums, Melody, Break, Build, Drop, Lift, Outro, Ending };

Section SectionOf(int position)
{
    static constexpr Section order[] = {Section::Intro, Section::Groove, Section::Drums, Section::Melody,
                                        Section::Break, Section::Build,  Section::Drop,  Section::Lift,
                                        Section::Outro, Section::Ending};
    return order[std::clamp(position / 8, 0, 9)];
}

struct Chord {
    int bass;                   // MIDI note of the root in the bass register
    std::array<int, 3> pad;     // close voicing around middle C
    std::array<int, 5> arp;     // tones the arpeggio walks through
};

// A minor, F major, C major, G major: one chord per position.
const Chord kProgression[4] = {
    {33, {57, 60, 64}, {57, 60, 64, 69, 72}},
    {29, {57, 60, 65}, {53, 57, 60, 65, 69}},
    {36, {55, 60, 64}, {55, 60, 64, 67, 72}},
    {31, {55, 59, 62}, {55, 59, 62, 67, 71}},
};

const Chord& ChordAt(int position) { return kProgression[position % 4]; }

// Melodies in eighth notes, eight per position: a note name, "-" to hold
// the previous note, "." for a rest.
const char* const kMelodyA[8] = {
    "A4 . C5 E5 - D5 C5 -", "A4 - - . F4 A4 C5 -",  "G4 . E5 - D5 C5 D5 -", "B4 - - . G4 A4 B4 D5",
    "E5 - D5 C5 - A4 C5 E5", "F5 - E5 C5 - A4 - .", "E5 - G5 - E5 D5 C5 -", "D5 - - - B4 - D5 -",
};
const char* const kMelodyB[8] = {
    "A5 . A5 G5 E5 . C5 D5", "C5 - A4 . C5 . F5 E5", "E5 . E5 D5 C5 . G4 C5", "D5 - B4 . G4 . D5 E5",
    "A5 . A5 G5 E5 . G5 A5", "C6 - A5 . F5 . A5 G5", "G5 . E5 . C5 D5 E5 G5", "B5 - - A5 G5 - D5 -",
};

int ParseNote(const std::string& name)
{
    static const int offsets[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int note = offsets[name[0] - 'A'];
    size_t i = 1;
    if (i < name.size() && name[i] == '#') {
        ++note;
        ++i;
    }
    const int octave = name[i] - '0';
    return 12 * (octave + 1) + note;
}

struct Note {
    size_t startStep; // sixteenths from the start of the phrase
    size_t steps;
    int pitch;
};

std::vector<Note> ParseMelody(const char* const (&positions)[8])
{
    std::vector<Note> notes;
    bool holding = false;
    for (int p = 0; p < 8; ++p) {
        std::istringstream words(positions[p]);
        std::string word;
        for (int eighth = 0; eighth < 8 && (words >> word); ++eighth) {
            const size_t step = static_cast<size_t>(p * 16 + eighth * 2);
            if (word == "-") {
                if (holding) {
                    notes.back().steps += 2;
                }
            } else if (word == ".") {
                holding = false;
            } else {
                notes.push_back({step, 2, ParseNote(word)});
                holding = true;
            }
        }
    }
    return notes;
}

size_t StepFrame(int position, double step) { return static_cast<size_t>(position) * kFramesPerPosition + static_cast<size_t>(step * kFramesPerStep); }

struct Buses {
    StereoBus drums, bass, pads, arp, lead, effects, reverbSend, delaySend;
    explicit Buses(size_t frames)
        : drums(frames), bass(frames), pads(frames), arp(frames), lead(frames), effects(frames),
          reverbSend(frames), delaySend(frames)
    {
    }
};

bool KickPlays(int position)
{
    const Section s = SectionOf(position);
    return s == Section::Groove || s == Section::Drums || s == Section::Melody || s == Section::Build ||
           s == Section::Drop || s == Section::Lift || (s == Section::Outro && position < 70);
}

void WriteDrums(Buses& b, std::vector<size_t>& kicks, Random& random)
{
    for (int p = 0; p < kSongPositions; ++p) {
        const Section s = SectionOf(p);
        const bool full = s == Section::Drums || s == Section::Melody || s == Section::Drop || s == Section::Lift;
        for (int beat = 0; beat < 4; ++beat) {
            const double step = beat * 4.0;
            // The beat before the drop stays silent but for the snare fill.
            const bool breath = p == 47 && beat == 3;
            if (KickPlays(p) && !breath) {
                instrument::Kick(b.drums, StepFrame(p, step), 0.62);
                kicks.push_back(StepFrame(p, step));
            }
            if (full && (beat == 1 || beat == 3)) {
                instrument::Snare(b.drums, StepFrame(p, step), 0.36, random);
                instrument::Snare(b.reverbSend, StepFrame(p, step), 0.25, random);
            }
            const bool offbeatHats = (s == Section::Intro && p >= 4) || s == Section::Groove || full ||
                                     s == Section::Build || s == Section::Outro;
            if (offbeatHats && !breath) {
                const double gain = s == Section::Intro ? 0.07 : 0.12;
                instrument::HiHat(b.drums, StepFrame(p, step + 2.0), gain, 0.06, 0.3, random);
            }
            if (full) {
                for (const double sixteenth : {1.0, 3.0}) {
                    instrument::HiHat(b.drums, StepFrame(p, step + sixteenth), 0.05, 0.02, -0.3, random);
                }
            }
        }
        if (s == Section::Build) {
            // A snare roll that doubles its rate every two positions.
            const int within = p - 40;
            const double spacing = within < 4 ? 4.0 : (within < 6 ? 2.0 : 1.0);
            for (double step = 0.0; step < 16.0; step += spacing) {
                const double rise = (within * 16.0 + step) / 128.0;
                instrument::Snare(b.drums, StepFrame(p, step), 0.12 + 0.35 * rise, random);
                instrument::Snare(b.reverbSend, StepFrame(p, step), 0.1 * rise, random);
            }
        }
        if (p == 8 || p == 16 || p == 24 || p == 48 || p == 56 || p == 64 || p == 72) {
            instrument::Crash(b.drums, StepFrame(p, 0.0), 0.22, random);
            instrument::Crash(b.reverbSend, StepFrame(p, 0.0), 0.2, random);
        }
    }
    // The last hit: one kick under the final chord.
    instrument::Kick(b.drums, StepFrame(76, 0.0), 0.6);
    kicks.push_back(StepFrame(76, 0.0));
    instrument::Crash(b.drums, StepFrame(76, 0.0), 0.18, random);
    instrument::Crash(b.reverbSend, StepFrame(76, 0.0), 0.3, random);
}

void WriteBass(Buses& b)
{
    for (int p = 0; p < 76; ++p) {
        const Section s = SectionOf(p);
        const int root = ChordAt(p).bass + 12;
        if (s == Section::Intro || s == Section::Ending || (s == Section::Outro && p >= 68)) {
            continue;
        }
        if (s == Section::Break) {
            instrument::Bass(b.bass, StepFrame(p, 0.0), kFramesPerPosition - kFramesPerStep, root - 12, 0.5);
            continue;
        }
        static const int octave[8] = {0, 0, 12, 0, 0, 0, 12, 0};
        for (int eighth = 0; eighth < 8; ++eighth) {
            instrument::Bass(b.bass, StepFrame(p, eighth * 2.0), kFramesPerStep + kFramesPerStep / 2,
                             root + octave[eighth] - 12, 0.55);
        }
    }
}

void WritePads(Buses& b)
{
    for (int p = 0; p < kSongPositions; ++p) {
        const Section s = SectionOf(p);
        if (p >= 76) {
            break;
        }
        double cutoff = 1400.0;
        double gain = 0.24;
        if (s == Section::Intro) {
            cutoff = 500.0 + 1000.0 * p / 8.0;
        } else if (s == Section::Break) {
            cutoff = 2200.0;
            gain = 0.3;
        } else if (s == Section::Build) {
            cutoff = 900.0 + 2600.0 * (p - 40) / 8.0;
        } else if (s == Section::Ending) {
            gain = 0.22;
            cutoff = 1000.0;
        }
        const Chord& chord = ChordAt(p);
        for (int v = 0; v < 3; ++v) {
            const double pan = (v - 1) * 0.6;
            instrument::Pad(b.pads, StepFrame(p, 0.0), kFramesPerPosition, chord.pad[static_cast<size_t>(v)], gain, cutoff, pan);
            instrument::Pad(b.reverbSend, StepFrame(p, 0.0), kFramesPerPosition, chord.pad[static_cast<size_t>(v)], gain * 0.8, cutoff, pan);
        }
    }
    // The final chord: A minor with its octave, held and left to ring out.
    for (const int note : {45, 57, 60, 64, 69}) {
        const double pan = (note % 3 - 1) * 0.5;
        instrument::Pad(b.pads, StepFrame(76, 0.0), kFramesPerPosition * 2, note, 0.22, 1600.0, pan);
        instrument::Pad(b.reverbSend, StepFrame(76, 0.0), kFramesPerPosition * 2, note, 0.2, 1600.0, pan);
    }
}

void WriteArpeggio(Buses& b)
{
    static const int walk[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 1, 2, 3};
    for (int p = 2; p < 80; ++p) {
        const Section s = SectionOf(p);
        double gain = 0.0;
        double cutoff = 2600.0;
        if (s == Section::Intro) {
            gain = 0.18;
            cutoff = 400.0 + 2600.0 * (p - 2) / 6.0;
        } else if (s == Section::Groove || s == Section::Drums || s == Section::Outro) {
            gain = 0.15;
        } else if (s == Section::Break || s == Section::Build) {
            gain = 0.1;
            cutoff = 1800.0;
        } else if (s == Section::Ending && p < 76) {
            gain = 0.1 * (76 - p) / 4.0;
            cutoff = 1800.0;
        }
        if (gain <= 0.0) {
            continue;
        }
        const Chord& chord = ChordAt(p);
        for (int step = 0; step < 16; ++step) {
            const double note = chord.arp[static_cast<size_t>(walk[step])] + 12;
            const double pan = step % 2 == 0 ? -0.4 : 0.4;
            instrument::Pluck(b.arp, StepFrame(p, step), note, gain, cutoff, pan);
            instrument::Pluck(b.delaySend, StepFrame(p, step), note, gain * 0.5, cutoff, pan);
        }
    }
}

void WriteMelody(Buses& b, const std::vector<Note>& notes, int firstPosition, int transpose, double gain)
{
    int previous = notes.empty() ? 0 : notes.front().pitch;
    for (const Note& n : notes) {
        const size_t start = static_cast<size_t>(firstPosition) * kFramesPerPosition + n.startStep * kFramesPerStep;
        const size_t length = n.steps * kFramesPerStep - kFramesPerStep / 4;
        const int pitch = n.pitch + transpose;
        instrument::Lead(b.lead, start, length, pitch, previous, gain);
        instrument::Lead(b.delaySend, start, length, pitch, previous, gain * 0.6);
        instrument::Lead(b.reverbSend, start, length, pitch, previous, gain * 0.5);
        previous = pitch;
    }
}

void WriteLead(Buses& b)
{
    const std::vector<Note> melodyA = ParseMelody(kMelodyA);
    const std::vector<Note> melodyB = ParseMelody(kMelodyB);
    WriteMelody(b, melodyA, 24, 0, 0.26);
    WriteMelody(b, melodyA, 32, -12, 0.16);
    WriteMelody(b, melodyB, 48, 0, 0.25);
    WriteMelody(b, melodyA, 56, 12, 0.19);
}

void WriteEffects(Buses& b, Random& random)
{
    instrument::Riser(b.effects, StepFrame(6, 0.0), 2 * kFramesPerPosition, 0.25, random);
    instrument::Riser(b.effects, StepFrame(44, 0.0), 4 * kFramesPerPosition - kFramesPerBeat, 0.35, random);
    instrument::Riser(b.effects, StepFrame(30, 0.0), 2 * kFramesPerPosition, 0.15, random);
}

// Gain that dips after every kick so that bass and pads breathe with it.
std::vector<float> SidechainCurve(size_t frames, const std::vector<size_t>& kicks)
{
    std::vector<float> curve(frames, 1.0f);
    const size_t span = kFramesPerBeat;
    for (const size_t kick : kicks) {
        for (size_t i = 0; i < span && kick + i < frames; ++i) {
            const double t = static_cast<double>(i) / kSampleRate;
            const double duck = 1.0 - 0.65 * detmath::Exp(-t / 0.09);
            curve[kick + i] = std::min(curve[kick + i], static_cast<float>(duck));
        }
    }
    return curve;
}

} // namespace

std::vector<float> RenderSong()
{
    const size_t frames = static_cast<size_t>(kSongPositions) * kFramesPerPosition;
    Buses b(frames);
    Random random(0x636F7264656Cull);
    std::vector<size_t> kicks;
    WriteDrums(b, kicks, random);
    WriteBass(b);
    WritePads(b);
    WriteArpeggio(b);
    WriteLead(b);
    WriteEffects(b, random);

    const std::vector<float> duck = SidechainCurve(frames, kicks);
    StereoBus master(frames);
    master.Mix(b.drums, 1.0);
    for (size_t i = 0; i < frames; ++i) {
        const double d = duck[i];
        master.left[i] += static_cast<float>((b.bass.left[i] + b.pads.left[i] + b.arp.left[i]) * d +
                                             b.lead.left[i] + b.effects.left[i]);
        master.right[i] += static_cast<float>((b.bass.right[i] + b.pads.right[i] + b.arp.right[i]) * d +
                                              b.lead.right[i] + b.effects.right[i]);
    }
    AddReverb(b.reverbSend, master, 0.82, 0.4, 1.0);
    AddPingPongDelay(b.delaySend, master, 3 * kFramesPerStep, 0.42, 0.5);

    double peak = 1e-9;
    for (size_t i = 0; i < frames; ++i) {
        peak = std::max(peak, static_cast<double>(std::fabs(master.left[i])));
        peak = std::max(peak, static_cast<double>(std::fabs(master.right[i])));
    }
    // Gentle saturation, then -1 dBFS; the last half second fades to silence.
    const double drive = 1.4 / peak;
    const double norm = 0.891 / detmath::Tanh(1.4);
    const size_t fadeStart = frames - kSampleRate / 2;
    std::vector<float> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double fade = i < fadeStart ? 1.0 : static_cast<double>(frames - i) / static_cast<double>(frames - fadeStart);
        out[2 * i] = static_cast<float>(detmath::Tanh(master.left[i] * drive) * norm * fade);
        out[2 * i + 1] = static_cast<float>(detmath::Tanh(master.right[i] * drive) * norm * fade);
    }
    return out;
}
