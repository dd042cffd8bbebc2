// Bytes in, a decoded picture or an error out: never a crash, a leak or a
// read out of bounds, whatever the file claims.
#include "resources/PngDecoder.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void DecodeOnce(const uint8_t* data, size_t size, bool bottomRowFirst, bool keepAlpha)
{
    PngDecodeOptions options;
    options.bottomRowFirst = bottomRowFirst;
    options.keepAlpha = keepAlpha;
    PngImage image;
    std::string error;
    if (!DecodePng(data, size, options, image, error)) {
        if (error.empty() || image.pixels)
            std::abort();
        return;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide || image.height > kMaxPngSide
        || (image.channels != 3 && image.channels != 4) || (!keepAlpha && image.channels != 3))
        std::abort();
    // Touch the first and last byte so the sanitizer checks the buffer's extent.
    volatile uint8_t edge = image.pixels[0];
    edge = image.pixels[image.ByteCount() - 1];
    (void)edge;
}

uint32_t BigEndian(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Most mutations break a chunk's CRC and stop the decoder at once; a copy
// with every CRC put right lets them reach the header checks, the
// decompression and the row filters.
std::vector<uint8_t> WithCrcsMended(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const uint32_t length = BigEndian(&bytes[at]);
        if (length > bytes.size() - at - 12)
            break;
        const uint32_t crc = uint32_t(crc32(0, &bytes[at + 4], uInt(length + 4)));
        uint8_t* stored = &bytes[at + 8 + length];
        for (int i = 0; i < 4; ++i)
            stored[i] = uint8_t(crc >> (24 - 8 * i));
        at += size_t(length) + 12;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodeOnce(data, size, true, true);
    const std::vector<uint8_t> mended = WithCrcsMended(data, size);
    DecodeOnce(mended.data(), mended.size(), false, false);
    return 0;
}
