#pragma once

#include <cstddef>
#include <cstdint>

// The music containers the audio layer accepts, told apart by their first
// bytes rather than by the file name, so a misnamed file still plays and a
// file that is no music is refused before any decoder sees it.
enum class MusicFormat {
    Unknown,
    Wav,   // RIFF/WAVE
    Ogg,   // Ogg Vorbis
    Opus,  // Ogg Opus
    Flac,
    Mp3,
};

// Bytes worth reading from the start of a file before calling DetectMusicFormat.
constexpr size_t kMusicFormatHeadSize = 36;

MusicFormat DetectMusicFormat(const uint8_t* head, size_t size);

// A WAV whose chunks claim more bytes than the file holds (cut short, or
// corrupt) would make the decoder allocate what the header claims. Shrinks
// every such chunk size to what is really there, in place.
void ClampWavChunkSizes(uint8_t* bytes, size_t size);

// At most how many bytes of 16-bit stereo at `outputRate` the WAV decodes to,
// from its format and data chunks (after ClampWavChunkSizes). Generous: it
// allows for 4-bit ADPCM. 0 when the chunks are missing or the rate is 0.
uint64_t WavDecodedSizeBound(const uint8_t* bytes, size_t size, uint32_t outputRate);
