#include "resources/Texture.h"

#include "resources/PngLoader.h"

#include <cstdio>

void Texture::Bind()
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
}

ImageTexture::ImageTexture()
{
    pngSetStandardOrientation(1);
}

ImageTexture::~ImageTexture() = default;

bool ImageTexture::Load(const char* path, GLint wrapMode)
{
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode);

    pngInfo info{};
    const bool loaded = pngLoad(path, PNG_BUILDMIPMAPS, PNG_ALPHA, &info) != 0;
    width = int32_t(info.Width);
    height = int32_t(info.Height);
    if (!loaded) {
        // The show goes on without the picture, but whoever runs it should
        // know why it is blank.
        std::fprintf(stderr, "Cannot load picture %s: %s\n", path ? path : "(null)", pngLastError());
    }
    return loaded;
}

bool ImageTexture::Refresh()
{
    return true;
}

RenderTexture::~RenderTexture() = default;

bool RenderTexture::Load(const char*, GLint)
{
    return true;
}

bool RenderTexture::Refresh()
{
    return true;
}

namespace {

GLenum FormatOfChannels(int32_t channels)
{
    switch (channels) {
    case 1:
        return GL_ALPHA;
    case 4:
        return GL_RGBA;
    default:
        return GL_RGB;
    }
}

} // namespace

bool RenderTexture::Create(int32_t size, int32_t channels, GLint wrapMode)
{
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode);

    const GLenum format = FormatOfChannels(channels);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), size, size, 0, format, GL_UNSIGNED_BYTE, nullptr);
    width = size;
    height = size;
    return true;
}
