#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// 8-bit RGB pixels, rows from the top, packed without padding.
struct RgbFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

enum class PngCompression {
    Fast,     // frames of a show: zlib level 3, one filter
    Smallest, // files that are committed: zlib level 9, the best filter per row
};

// Any kind of PNG, described in the file's own terms. The samples, which the
// caller keeps, go rows from the top, one byte each at 8 bits and below (the
// encoder packs the smaller ones), two big-endian bytes at 16; palette
// pictures hold indices.
struct PngContent {
    int32_t width = 0;
    int32_t height = 0;
    int colourType = 6; // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    std::span<const uint8_t> samples;
    std::vector<uint8_t> palette;      // RGB triples
    std::vector<uint8_t> paletteAlpha; // tRNS: the alpha of the first palette entries
    bool hasTransparentColour = false; // tRNS for grey and RGB: this colour is fully transparent
    uint16_t transparent[3] = {0, 0, 0};
    PngCompression compression = PngCompression::Fast;
};

// Encodes with fixed settings and no time or text chunks, so the same pixels
// always give the same bytes. False with a reason in error.
bool EncodePng(const PngContent& content, std::vector<uint8_t>& out, std::string& error);
bool EncodePngRgb(const RgbFrame& frame, std::vector<uint8_t>& out, std::string& error);
// 8-bit straight-alpha RGBA rows from the top, as small as zlib makes them.
bool EncodePngRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, std::vector<uint8_t>& out,
                   std::string& error);
// Writes the encoded picture to path.
bool WritePngRgb(const std::string& path, const RgbFrame& frame, std::string& error);
