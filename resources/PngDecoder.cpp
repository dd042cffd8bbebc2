#include "resources/PngDecoder.h"

#include "platform/FileRead.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Everything a decode owns, kept where a jump out of libpng cannot skip its
// release: the reading function below holds no object with a destructor.
struct PngReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t offset = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    char error[340] = "";
    // libpng tells the detail of a bad header as a warning before its error.
    char lastWarning[160] = "";
};

void SetError(PngReader& reader, const char* message)
{
    std::snprintf(reader.error, sizeof reader.error, "%s", message);
}

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    auto& reader = *static_cast<PngReader*>(png_get_error_ptr(png));
    if (reader.lastWarning[0])
        std::snprintf(reader.error, sizeof reader.error, "%s (%s)", message, reader.lastWarning);
    else
        SetError(reader, message);
    png_longjmp(png, 1);
}

// Warnings alone concern data the picture does not need; they are kept only
// to explain an error that follows.
void OnPngWarning(png_structp png, png_const_charp message)
{
    auto& reader = *static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(reader.lastWarning, sizeof reader.lastWarning, "%s", message);
}

void OnPngRead(png_structp png, png_bytep out, size_t length)
{
    auto& reader = *static_cast<PngReader*>(png_get_io_ptr(png));
    if (length > reader.size - reader.offset)
        png_error(png, "file is truncated");
    std::memcpy(out, reader.data + reader.offset, length);
    reader.offset += length;
}

// Asks libpng for 8-bit RGB or RGBA whatever the file holds.
void RequestRgb8(PngReader& reader, const PngDecodeOptions& options)
{
    png_structp png = reader.png;
    const int colorType = png_get_color_type(png, reader.info);
    const int bitDepth = png_get_bit_depth(png, reader.info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0 && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, reader.info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(png);
    if (!options.keepAlpha)
        png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, reader.info);
}

bool ReadPixels(PngReader& reader, const PngDecodeOptions& options)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;

    png_set_user_limits(reader.png, kMaxPngSide, kMaxPngSide);
    png_read_info(reader.png, reader.info);
    RequestRgb8(reader, options);

    reader.width = png_get_image_width(reader.png, reader.info);
    reader.height = png_get_image_height(reader.png, reader.info);
    reader.channels = png_get_channels(reader.png, reader.info);
    const size_t rowBytes = size_t(reader.width) * reader.channels;
    if (png_get_bit_depth(reader.png, reader.info) != 8 || (reader.channels != 3 && reader.channels != 4)
        || png_get_rowbytes(reader.png, reader.info) != rowBytes) {
        SetError(reader, "unsupported pixel layout");
        return false;
    }

    reader.pixels = new (std::nothrow) uint8_t[rowBytes * reader.height];
    reader.rows = new (std::nothrow) png_bytep[reader.height];
    if (!reader.pixels || !reader.rows) {
        SetError(reader, "out of memory");
        return false;
    }
    for (uint32_t y = 0; y < reader.height; ++y) {
        const uint32_t target = options.bottomRowFirst ? reader.height - 1 - y : y;
        reader.rows[y] = reader.pixels + rowBytes * target;
    }
    png_read_image(reader.png, reader.rows);
    // What follows the image data (text, time, the end marker) is not needed,
    // so a file cut short after its pixels still shows.
    return true;
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, const PngDecodeOptions& options,
               PngImage& image, std::string& error)
{
    image = PngImage{};
    error.clear();
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        error = "not a PNG file";
        return false;
    }

    PngReader reader;
    reader.data = data;
    reader.size = size;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, OnPngError, OnPngWarning);
    if (reader.png)
        reader.info = png_create_info_struct(reader.png);
    if (!reader.png || !reader.info) {
        png_destroy_read_struct(&reader.png, &reader.info, nullptr);
        error = "out of memory";
        return false;
    }
    png_set_read_fn(reader.png, &reader, OnPngRead);

    const bool decoded = ReadPixels(reader, options);
    png_destroy_read_struct(&reader.png, &reader.info, nullptr);
    delete[] reader.rows;
    if (!decoded) {
        delete[] reader.pixels;
        error = reader.error[0] ? reader.error : "cannot decode";
        return false;
    }
    image.width = reader.width;
    image.height = reader.height;
    image.channels = reader.channels;
    image.pixels.reset(reader.pixels);
    return true;
}

namespace {

// Compressed pictures never come near this; a bigger file is not one of ours.
constexpr size_t kMaxPngFileBytes = size_t(512) << 20;

} // namespace

bool DecodePngFile(const char* path, const PngDecodeOptions& options, PngImage& image, std::string& error)
{
    image = PngImage{};
    std::string bytes;
    switch (ReadWholeFile(path, bytes, kMaxPngFileBytes)) {
    case FileRead::Ok:
        return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), options, image, error);
    case FileRead::CannotOpen: error = "cannot open the file"; break;
    case FileRead::CannotRead: error = "cannot read the file"; break;
    case FileRead::TooLarge: error = "file is too large"; break;
    }
    return false;
}
