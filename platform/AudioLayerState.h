#pragma once

// What the three parts of the audio layer share: the device (AudioDevice.cpp),
// the streams and their decoding (AudioStream.cpp) and the mixer's one voice
// with its position (AudioPosition.cpp). Not part of the layer's interface;
// only those files include it.

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace audio {

constexpr int kMaxStreams = 64;
constexpr uint64_t kBytesPerFrame = 4; // 16-bit stereo
constexpr uint64_t kNoValue = ~uint64_t(0);
// The mixer channel that plays WAV streams.
constexpr int kSampleChannel = 0;

// Compressed music streams through the mixer's music decoders. WAV is held
// decoded in memory (it is no larger in the file) and played on a mixer
// channel, because the mixer's WAV music seeks only to whole seconds.
struct Stream {
    uint32_t handle = 0; // 0: free slot
    Mix_Music* music = nullptr;
    Mix_Chunk* samples = nullptr; // WAV, converted to the device format
    Mix_Chunk* playingPart = nullptr; // the part of `samples` on the channel
    uint64_t length = kNoValue;
    uint64_t position = 0; // where it stands while it is not the current stream
    bool playing = false;  // only kept for streams that are not mixed (output off)
};

// The audio thread only counts what it mixes for the current stream and notes
// its end; everything else belongs to the main thread.
struct MixCounter {
    std::atomic<bool> counting{false};
    std::atomic<bool> ended{false};
    std::atomic<uint64_t> mixedBytes{0};
    std::atomic<uint64_t> lastMixLength{0};
};

struct Output {
    bool initialised = false;
    bool outputOff = false;
    uint32_t rate = 0;
    uint32_t nextHandle = 1;
    Stream streams[kMaxStreams];
    Stream* current = nullptr; // the stream the mixer plays
    uint64_t currentStart = 0; // its position when it started or moved
    std::chrono::steady_clock::time_point currentSince;
};

extern Output output;
extern MixCounter counter;

// Each records the call's result code for BASS_ErrorGetCode.
bool Fail(int code);
uint64_t FailBytes(int code);
bool Succeed();

// The stream of a handle on an initialised device; otherwise null, with the
// code that says which of the two is missing recorded.
Stream* UsableStream(uint32_t handle);
Stream* FindStream(uint32_t handle);
// Stops the stream if it plays, frees its decoder and its slot.
void ReleaseStream(Stream& stream);

uint64_t FramesToBytes(double frames);
double BytesToSeconds(uint64_t bytes);

// The mixer's one voice: stopped where it stands, or let go once it has
// played to its end.
void StopCurrent();
void SettleEndedStream();

} // namespace audio
