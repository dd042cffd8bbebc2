#include "resources/ImageRegistry.h"

#include <cstdint>

ImageRegistry::ImageRegistry() = default;

ImageRegistry::~ImageRegistry()
{
    textures.clear();
    owned.clear();
}

Texture* ImageRegistry::Find(const std::string& handle) const
{
    const auto found = textures.find(handle);
    return found == textures.end() ? nullptr : found->second;
}

bool ImageRegistry::LoadImage(const std::string& handle, const std::string& path, GLint wrapMode)
{
    const size_t dot = path.rfind('.');
    const std::string extension = dot == std::string::npos ? path : path.substr(dot + 1);
    std::string file;
    if (extension == "png")
        file = path;
    else if (extension == "bmp")
        file = path.substr(0, dot) + ".png";
    else
        return false;

    auto texture = std::make_unique<ImageTexture>();
    const bool loaded = texture->Load(file.c_str(), wrapMode);
    // Registered even when unreadable: the effects look the name up and the
    // show goes on with a blank picture.
    Register(handle, std::move(texture));
    return loaded;
}

Texture* ImageRegistry::CreateSolid(const std::string& handle, int r, int g, int b)
{
    auto texture = std::make_unique<RenderTexture>();
    texture->Create(2, 3, GL_REPEAT);
    texture->Bind();
    const uint8_t texel[3] = {uint8_t(r), uint8_t(g), uint8_t(b)};
    uint8_t texels[2 * 2 * 3];
    for (size_t i = 0; i < sizeof texels; ++i)
        texels[i] = texel[i % 3];
    // Rows of two RGB texels are six bytes, not a multiple of four.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, texels);
    Texture* result = texture.get();
    Register(handle, std::move(texture));
    return result;
}

Texture* ImageRegistry::CreateRenderTarget(const std::string& handle, int32_t size, int32_t channels)
{
    auto texture = std::make_unique<RenderTexture>();
    texture->Create(size, channels, GL_REPEAT);
    Texture* result = texture.get();
    Register(handle, std::move(texture));
    return result;
}

void ImageRegistry::Register(const std::string& handle, std::unique_ptr<Texture> texture)
{
    textures[handle] = texture.get();
    owned.push_back(std::move(texture));
}

void ImageRegistry::DeleteTextureNames()
{
    for (const std::unique_ptr<Texture>& texture : owned) {
        const GLuint name = texture->Name();
        if (name != 0)
            glDeleteTextures(1, &name);
    }
}
