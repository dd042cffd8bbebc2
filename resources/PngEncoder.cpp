#include "resources/PngEncoder.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// Channels of a colour type at a bit depth PNG allows for it; 0 when it allows none.
int Channels(int colourType, int bitDepth)
{
    const bool small = bitDepth == 1 || bitDepth == 2 || bitDepth == 4;
    const bool wide = bitDepth == 8 || bitDepth == 16;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return small || wide ? 1 : 0;
    case PNG_COLOR_TYPE_PALETTE:
        return small || bitDepth == 8 ? 1 : 0;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return wide ? 2 : 0;
    case PNG_COLOR_TYPE_RGB:
        return wide ? 3 : 0;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return wide ? 4 : 0;
    default:
        return 0;
    }
}

void SetCompression(png_structp png, PngCompression compression)
{
    if (compression == PngCompression::Fast) {
        // Encoding must keep up with rendering, and frames of a show
        // compress well enough at level 3.
        png_set_compression_level(png, 3);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        return;
    }
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, 0);
    png_set_compression_window_bits(png, 15);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
}

void SetTransparency(png_structp png, png_infop info, const PngContent& content)
{
    if (content.colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> entries;
        for (size_t i = 0; i + 2 < content.palette.size(); i += 3)
            entries.push_back({content.palette[i], content.palette[i + 1], content.palette[i + 2]});
        png_set_PLTE(png, info, entries.data(), int(entries.size()));
        if (!content.paletteAlpha.empty())
            png_set_tRNS(png, info, content.paletteAlpha.data(), int(content.paletteAlpha.size()), nullptr);
    } else if (content.hasTransparentColour) {
        png_color_16 colour{};
        colour.gray = content.transparent[0];
        colour.red = content.transparent[0];
        colour.green = content.transparent[1];
        colour.blue = content.transparent[2];
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
}

} // namespace

bool EncodePng(const PngContent& content, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    const int channels = Channels(content.colourType, content.bitDepth);
    if (channels == 0) {
        error = "PNG has no colour type " + std::to_string(content.colourType) + " at " +
                std::to_string(content.bitDepth) + " bits";
        return false;
    }
    const size_t rowBytes = size_t(content.width) * size_t(channels) * (content.bitDepth == 16 ? 2 : 1);
    if (content.width <= 0 || content.height <= 0 || content.samples.size() != rowBytes * size_t(content.height)) {
        error = "picture size does not match its pixels";
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        error = "out of memory";
        return false;
    }
    std::vector<png_bytep> rows(size_t(content.height));
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(content.samples.data() + rowBytes * y);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.clear();
        error = "libpng could not encode the picture";
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    SetCompression(png, content.compression);
    png_set_IHDR(png, info, uint32_t(content.width), uint32_t(content.height), content.bitDepth, content.colourType,
                 content.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    SetTransparency(png, info, content);
    png_write_info(png, info);
    if (content.bitDepth < 8)
        png_set_packing(png);
    // Writes every interlace pass, or the rows once when there are none.
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool EncodePngRgb(const RgbFrame& frame, std::vector<uint8_t>& out, std::string& error)
{
    PngContent content;
    content.width = frame.width;
    content.height = frame.height;
    content.colourType = PNG_COLOR_TYPE_RGB;
    content.samples = frame.pixels;
    return EncodePng(content, out, error);
}

bool EncodePngRgba(int32_t width, int32_t height, std::span<const uint8_t> rgba, std::vector<uint8_t>& out,
                   std::string& error)
{
    PngContent content;
    content.width = width;
    content.height = height;
    content.samples = rgba;
    content.compression = PngCompression::Smallest;
    return EncodePng(content, out, error);
}

bool WritePngRgb(const std::string& path, const RgbFrame& frame, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!EncodePngRgb(frame, bytes, error))
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
