#pragma once

#include "resources/Texture.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Named pictures. Names are compared byte by byte, case-sensitively. The
// registry owns every texture it ever held: one replaced under its name stays
// alive until the registry dies, since an effect may still point at it.
class ImageRegistry {
public:
    ImageRegistry();
    virtual ~ImageRegistry();

    ImageRegistry(const ImageRegistry&) = delete;
    ImageRegistry& operator=(const ImageRegistry&) = delete;

    // Null when nothing is registered under the name.
    Texture* Find(const std::string& handle) const;
    // Extension "png", or "bmp" (read from the .png of the same stem); false
    // for any other extension, with nothing registered. A picture that cannot
    // be read is still registered (blank, 0 by 0) and gives false.
    bool LoadImage(const std::string& handle, const std::string& path, GLint wrapMode);
    // 2x2 RGB texture of one colour, GL_REPEAT; only the low bytes are used.
    Texture* CreateSolid(const std::string& handle, int r, int g, int b);
    Texture* CreateRenderTarget(const std::string& handle, int32_t size, int32_t channels);

    // The show's pictures live as long as its context, so nothing deletes
    // their GL names; a program that builds show after show in one context
    // calls this before dropping a registry. Every texture the registry ever
    // held is deleted, replaced ones too; none may be drawn afterwards.
    void DeleteTextureNames();

private:
    void Register(const std::string& handle, std::unique_ptr<Texture> texture);

    std::map<std::string, Texture*> textures;
    std::vector<std::unique_ptr<Texture>> owned;
};
