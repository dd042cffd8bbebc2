#pragma once

#include <cstddef>
#include <vector>

// The show's track: 80 positions of four beats at 125 beats per minute
// (2 minutes 33.6 seconds), A minor, sections of eight positions.
constexpr int kSongBpm = 125;
constexpr int kSongPositions = 80;
constexpr size_t kFramesPerStep = 5292;                 // a sixteenth note
constexpr size_t kFramesPerBeat = 4 * kFramesPerStep;   // 480 ms
constexpr size_t kFramesPerPosition = 4 * kFramesPerBeat;

// Interleaved stereo samples at 44.1 kHz, peak at -1 dBFS.
std::vector<float> RenderSong();
