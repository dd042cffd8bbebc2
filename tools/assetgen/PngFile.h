#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encodes 8-bit RGBA rows (top row first) as a PNG with a fixed compression
// setup and no time stamp, so equal pixels always give equal bytes.
bool EncodePngRgba(int width, int height, const std::vector<uint8_t>& rgba,
                   std::vector<uint8_t>& out);
