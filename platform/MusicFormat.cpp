#include "platform/MusicFormat.h"

#include <cstring>

namespace {

bool StartsWith(const uint8_t* head, size_t size, size_t offset, const char* tag)
{
    size_t length = std::strlen(tag);
    return size >= offset + length && std::memcmp(head + offset, tag, length) == 0;
}

// A bare MPEG audio frame header: sync bits, then no reserved version, layer,
// bit rate or sample rate. Random data passes this only rarely.
bool IsMpegFrameHeader(const uint8_t* head, size_t size)
{
    if (size < 4 || head[0] != 0xFF || (head[1] & 0xE0) != 0xE0)
        return false;
    unsigned version = (head[1] >> 3) & 3;
    unsigned layer = (head[1] >> 1) & 3;
    unsigned bitRate = head[2] >> 4;
    unsigned sampleRate = (head[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitRate != 15 && sampleRate != 3;
}

uint32_t ReadLittle32(const uint8_t* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (uint32_t(at[3]) << 24);
}

void WriteLittle32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Shrinks the size field at `at` (counting from `start`) to the bytes left.
// Returns the size that stands.
uint64_t ClampSizeField(uint8_t* at, uint64_t start, uint64_t size)
{
    uint64_t claimed = ReadLittle32(at);
    uint64_t left = size > start ? size - start : 0;
    if (claimed <= left)
        return claimed;
    WriteLittle32(at, static_cast<uint32_t>(left));
    return left;
}

} // namespace

MusicFormat DetectMusicFormat(const uint8_t* head, size_t size)
{
    if (StartsWith(head, size, 0, "RIFF") && StartsWith(head, size, 8, "WAVE"))
        return MusicFormat::Wav;
    if (StartsWith(head, size, 0, "OggS"))
        return StartsWith(head, size, 28, "OpusHead") ? MusicFormat::Opus : MusicFormat::Ogg;
    if (StartsWith(head, size, 0, "fLaC"))
        return MusicFormat::Flac;
    if (StartsWith(head, size, 0, "ID3") || IsMpegFrameHeader(head, size))
        return MusicFormat::Mp3;
    return MusicFormat::Unknown;
}

// Calls `visit(id, offset of the body, length)` for every chunk that fits.
template <typename Visit>
void ForEachWavChunk(const uint8_t* bytes, size_t size, Visit visit)
{
    constexpr uint64_t kChunkHeader = 8;
    uint64_t offset = 12;
    while (offset + kChunkHeader <= size) {
        uint64_t length = ReadLittle32(bytes + offset + 4);
        if (offset + kChunkHeader + length > size)
            return;
        visit(bytes + offset, offset + kChunkHeader, length);
        offset += kChunkHeader + length + (length & 1);
    }
}

uint64_t WavDecodedSizeBound(const uint8_t* bytes, size_t size, uint32_t outputRate)
{
    if (DetectMusicFormat(bytes, size) != MusicFormat::Wav)
        return 0;
    uint64_t rate = 0;
    uint64_t dataBytes = 0;
    bool sawData = false;
    ForEachWavChunk(bytes, size, [&](const uint8_t* id, uint64_t body, uint64_t length) {
        if (std::memcmp(id, "fmt ", 4) == 0 && length >= 8)
            rate = ReadLittle32(bytes + body + 4);
        if (std::memcmp(id, "data", 4) == 0) {
            dataBytes = length;
            sawData = true;
        }
    });
    if (rate == 0 || !sawData)
        return 0;
    constexpr uint64_t kMostSamplesPerByte = 2; // 4-bit ADPCM, one channel
    constexpr uint64_t kOutputBytesPerFrame = 4;
    uint64_t frames = dataBytes * kMostSamplesPerByte;
    return (frames * outputRate / rate + 1) * kOutputBytesPerFrame;
}

void ClampWavChunkSizes(uint8_t* bytes, size_t size)
{
    if (DetectMusicFormat(bytes, size) != MusicFormat::Wav)
        return;
    ClampSizeField(bytes + 4, 8, size);
    constexpr uint64_t kChunkHeader = 8;
    uint64_t offset = 12;
    while (offset + kChunkHeader <= size) {
        uint64_t length = ClampSizeField(bytes + offset + 4, offset + kChunkHeader, size);
        offset += kChunkHeader + length + (length & 1);
    }
}
