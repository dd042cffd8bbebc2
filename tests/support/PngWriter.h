#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files of every kind, made with the player's encoder from sample values,
// so tests make their own pictures and know exactly what they hold.
struct PngPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    int colorType = 6;  // PNG_COLOR_TYPE_*: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    // One value per channel, rows from the top, at the picture's bit depth;
    // palette pictures hold indices.
    std::vector<uint16_t> samples;
    // Palette entries as RGB triples, and the tRNS alpha of the first ones.
    std::vector<uint8_t> palette;
    std::vector<uint8_t> paletteAlpha;
    // tRNS for grey and RGB: the colour that is fully transparent.
    bool hasTransparentColour = false;
    uint16_t transparent[3] = {0, 0, 0};

    uint32_t Channels() const;
};

std::vector<uint8_t> EncodePng(const PngPicture& picture);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// An 8-bit RGBA picture from packed RGBA bytes, rows from the top.
bool WriteRgbaPng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba);

// A fresh path in the system's temporary directory, unique to this process.
std::string ScratchPath(const std::string& fileName);
