#include "resources/PngLoader.h"

#include "resources/PngDecoder.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

bool g_standardOrientation = false;
std::string g_lastError;

// The side GLU gives a texture: the nearest power of two, ties going up.
GLsizei PowerOfTwoSide(uint32_t side, GLint maxSide)
{
    GLsizei lower = 1;
    while (GLsizei(lower * 2) <= GLsizei(side))
        lower *= 2;
    const GLsizei nearest = (GLsizei(side) - lower < lower * 2 - GLsizei(side)) ? lower : lower * 2;
    return nearest > maxSide ? maxSide : nearest;
}

// GLU's own rescaling inside gluBuild2DMipmaps drops the last row when only
// the width changes (and the last column when only the height does), so the
// picture is brought to power-of-two sides first and GLU only halves.
bool UploadMipmaps(const PngImage& image, GLenum format, std::string& error)
{
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (maxSide <= 0)
        maxSide = 1024;
    const GLsizei width = PowerOfTwoSide(image.width, maxSide);
    const GLsizei height = PowerOfTwoSide(image.height, maxSide);
    const uint8_t* pixels = image.pixels.get();
    std::unique_ptr<uint8_t[]> scaled;
    if (GLsizei(image.width) != width || GLsizei(image.height) != height) {
        scaled.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height) * image.channels]);
        if (!scaled) {
            error = "out of memory";
            return false;
        }
        const GLint result = gluScaleImage(format, GLsizei(image.width), GLsizei(image.height), GL_UNSIGNED_BYTE,
                                           pixels, width, height, GL_UNSIGNED_BYTE, scaled.get());
        if (result != 0) {
            error = std::string("cannot scale: ") + reinterpret_cast<const char*>(gluErrorString(GLenum(result)));
            return false;
        }
        pixels = scaled.get();
    }
    const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, GLint(image.channels), width, height, format,
                                           GL_UNSIGNED_BYTE, pixels);
    if (result != 0) {
        error = std::string("cannot build mipmaps: ") + reinterpret_cast<const char*>(gluErrorString(GLenum(result)));
        return false;
    }
    return true;
}

bool Upload(const PngImage& image, int mipmap, std::string& error)
{
    const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
    // Rows are packed both ways; RGB rows need not be a multiple of four
    // bytes long.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    if (mipmap == PNG_BUILDMIPMAPS)
        return UploadMipmaps(image, format, error);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), GLsizei(image.width), GLsizei(image.height), 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.get());
    if (glGetError() != GL_NO_ERROR) {
        error = "the texture does not take a picture of this size";
        return false;
    }
    return true;
}

bool LoadInto(const char* filename, int mipmap, int trans, pngInfo& info, std::string& error)
{
    if (mipmap != PNG_NOMIPMAPS && mipmap != PNG_BUILDMIPMAPS) {
        error = "unsupported mipmap mode";
        return false;
    }
    if (trans != PNG_SOLID && trans != PNG_ALPHA) {
        error = "unsupported transparency mode";
        return false;
    }
    PngDecodeOptions options;
    options.bottomRowFirst = g_standardOrientation;
    options.keepAlpha = trans == PNG_ALPHA;
    PngImage image;
    if (!filename || !DecodePngFile(filename, options, image, error))
        return false;
    if (!Upload(image, mipmap, error))
        return false;

    info.Width = image.width;
    info.Height = image.height;
    info.Depth = 8;
    info.Alpha = image.channels == 4 ? 8 : 0;
    return true;
}

} // namespace

void pngSetStandardOrientation(int standardOrientation)
{
    g_standardOrientation = standardOrientation != 0;
}

int pngLoad(const char* filename, int mipmap, int trans, pngInfo* info)
{
    pngInfo result{};
    g_lastError.clear();
    // Drop GL errors left by others so that ours are our own (bounded: without
    // a context some drivers report an error on every call).
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    const bool loaded = LoadInto(filename, mipmap, trans, result, g_lastError);
    if (!loaded)
        result = pngInfo{};
    if (info)
        *info = result;
    return loaded ? 1 : 0;
}

const char* pngLastError()
{
    return g_lastError.c_str();
}
