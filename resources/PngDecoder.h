#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A decoded picture: 8 bits per channel, RGB or RGBA, rows packed without
// padding. Rows run from the picture's top down, or from its bottom up when
// it was decoded bottom row first (the texture convention).
struct PngImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    std::unique_ptr<uint8_t[]> pixels;

    size_t RowBytes() const { return size_t(width) * channels; }
    size_t ByteCount() const { return RowBytes() * height; }
    const uint8_t* Row(uint32_t y) const { return pixels.get() + RowBytes() * y; }
};

struct PngDecodeOptions {
    bool bottomRowFirst = false;
    // False drops the picture's alpha and transparency: always RGB.
    bool keepAlpha = true;
};

// A forged header must not be able to ask for more memory than this.
constexpr uint32_t kMaxPngSide = 16384;

// Decodes any PNG (palette, grey, grey with alpha, RGB, RGBA, 1 to 16 bits,
// interlaced, with or without transparency chunks) from bytes in memory.
// Pictures with alpha or a transparency chunk become RGBA, the rest RGB.
// On failure the image is left empty and error says why.
bool DecodePng(const uint8_t* data, size_t size, const PngDecodeOptions& options,
               PngImage& image, std::string& error);

// The same for a whole file read into memory.
bool DecodePngFile(const char* path, const PngDecodeOptions& options, PngImage& image, std::string& error);
