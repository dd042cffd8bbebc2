#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How loud a music file is over time, in short buckets, decoded once so that
// pictures of the show can draw it at any zoom.
class MusicEnvelope {
public:
    static constexpr uint32_t kMsPerBucket = 5;

    // False with a reason when the file cannot be read or decoded. Reads the
    // formats the player plays (WAV, Ogg Vorbis and Opus, FLAC, MP3).
    bool Decode(const char* path, std::string& error);

    bool Empty() const { return peaks.empty(); }
    uint32_t LengthMs() const { return uint32_t(peaks.size()) * kMsPerBucket; }
    // The highest sample and the root mean square over [from, to) ms, both 0
    // to 1 (a clipping file is held to 1); 0 past the music's end.
    void Measure(uint32_t from, uint32_t to, float& peak, float& rms) const;

private:
    std::vector<float> peaks;
    std::vector<float> meanSquares;
};
