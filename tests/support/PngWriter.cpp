#include "tests/support/PngWriter.h"

#include "resources/PngEncoder.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <unistd.h>

uint32_t PngPicture::Channels() const
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

namespace {

// One byte per sample below 8 bits (the encoder packs them), big-endian pairs at 16.
std::vector<uint8_t> SampleBytes(const PngPicture& picture)
{
    std::vector<uint8_t> bytes;
    for (const uint16_t sample : picture.samples) {
        if (picture.bitDepth == 16)
            bytes.push_back(uint8_t(sample >> 8));
        bytes.push_back(uint8_t(sample));
    }
    return bytes;
}

} // namespace

std::vector<uint8_t> EncodePng(const PngPicture& picture)
{
    const std::vector<uint8_t> samples = SampleBytes(picture);
    PngContent content;
    content.width = int32_t(picture.width);
    content.height = int32_t(picture.height);
    content.colourType = picture.colorType;
    content.bitDepth = picture.bitDepth;
    content.interlaced = picture.interlaced;
    content.samples = samples;
    content.palette = picture.palette;
    content.paletteAlpha = picture.paletteAlpha;
    content.hasTransparentColour = picture.hasTransparentColour;
    std::copy(std::begin(picture.transparent), std::end(picture.transparent), content.transparent);
    // The filter chosen row by row, so decoders meet more than one.
    content.compression = PngCompression::Smallest;
    std::vector<uint8_t> out;
    std::string error;
    EncodePng(content, out, error);
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool WriteRgbaPng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba)
{
    std::vector<uint8_t> bytes;
    std::string error;
    return EncodePngRgba(int32_t(width), int32_t(height), rgba, bytes, error) && WriteFile(path, bytes);
}

namespace {

// Removed with everything in it when the test program ends.
struct ScratchDirectory {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("demo-test-" + std::to_string(getpid()));
    ScratchDirectory() { std::filesystem::create_directories(path); }
    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

std::string ScratchPath(const std::string& fileName)
{
    static ScratchDirectory directory;
    return (directory.path / fileName).string();
}
