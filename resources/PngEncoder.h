#pragma once

#include <cstdint>
#include <string>
#include <vector>

// 8-bit RGB pixels, rows from the top, packed without padding.
struct RgbFrame {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
};

// Encodes with fixed settings and no time or text chunks, so the same pixels
// always give the same bytes. False with a reason in error.
bool EncodePngRgb(const RgbFrame& frame, std::vector<uint8_t>& out, std::string& error);
// Writes the encoded picture to path.
bool WritePngRgb(const std::string& path, const RgbFrame& frame, std::string& error);
