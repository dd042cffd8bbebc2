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

} // namespace

bool EncodePngRgb(const RgbFrame& frame, std::vector<uint8_t>& out, std::string& error)
{
    out.clear();
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() != size_t(frame.width) * size_t(frame.height) * 3) {
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
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "libpng could not encode the picture";
        return false;
    }
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    // Fast settings: frames of a show compress well enough at level 3 and
    // encoding must keep up with rendering.
    png_set_compression_level(png, 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, uint32_t(frame.width), uint32_t(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    const size_t rowBytes = size_t(frame.width) * 3;
    for (int32_t y = 0; y < frame.height; ++y)
        png_write_row(png, const_cast<png_bytep>(frame.pixels.data() + rowBytes * size_t(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
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
