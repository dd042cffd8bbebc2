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
