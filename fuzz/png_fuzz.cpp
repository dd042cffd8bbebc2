// Bytes in, a decoded picture or an error out: never a crash, a leak or a
// read out of bounds, whatever the file claims.
#include "resources/PngDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <string>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodeOnce(data, size, true, true);
    DecodeOnce(data, size, false, false);
    return 0;
}
