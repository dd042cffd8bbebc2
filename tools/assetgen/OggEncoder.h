#pragma once

#include <cstdint>
#include <vector>

// Encodes interleaved stereo floats as Ogg Vorbis at the given quality
// (-0.1 to 1.0) with a fixed stream serial number, so the same samples
// always give the same bytes.
bool EncodeOggVorbis(const std::vector<float>& interleaved, int sampleRate, float quality,
                     std::vector<uint8_t>& out);
