#include "tests/support/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
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

void AppendBytes(png_structp png, png_bytep data, size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

// One byte per sample below 8 bits (libpng packs them), big-endian pairs at 16.
std::vector<uint8_t> RowBytes(const PngPicture& picture, uint32_t y)
{
    const uint32_t perRow = picture.width * picture.Channels();
    std::vector<uint8_t> row;
    for (uint32_t i = 0; i < perRow; ++i) {
        const uint16_t sample = picture.samples[size_t(y) * perRow + i];
        if (picture.bitDepth == 16)
            row.push_back(uint8_t(sample >> 8));
        row.push_back(uint8_t(sample));
    }
    return row;
}

void WriteHeader(png_structp png, png_infop info, const PngPicture& picture)
{
    png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (picture.colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> entries;
        for (size_t i = 0; i + 2 < picture.palette.size(); i += 3)
            entries.push_back({picture.palette[i], picture.palette[i + 1], picture.palette[i + 2]});
        png_set_PLTE(png, info, entries.data(), int(entries.size()));
        if (!picture.paletteAlpha.empty())
            png_set_tRNS(png, info, picture.paletteAlpha.data(), int(picture.paletteAlpha.size()), nullptr);
    } else if (picture.hasTransparentColour) {
        png_color_16 colour{};
        colour.gray = picture.transparent[0];
        colour.red = picture.transparent[0];
        colour.green = picture.transparent[1];
        colour.blue = picture.transparent[2];
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    if (picture.bitDepth < 8)
        png_set_packing(png);
}

} // namespace

std::vector<uint8_t> EncodePng(const PngPicture& picture)
{
    std::vector<uint8_t> out;
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t y = 0; y < picture.height; ++y)
        rows.push_back(RowBytes(picture, y));
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows)
        rowPointers.push_back(row.data());

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendBytes, Flush);
    WriteHeader(png, info, picture);
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
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
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.samples.assign(rgba.begin(), rgba.end());
    const std::vector<uint8_t> bytes = EncodePng(picture);
    return !bytes.empty() && WriteFile(path, bytes);
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
