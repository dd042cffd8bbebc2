#pragma once

#include <GL/gl.h>

#include <cstdint>

// An OpenGL 2D texture. GL texture names are never deleted: they live until
// the context goes away.
class Texture {
public:
    virtual ~Texture() = default;

    virtual bool Load(const char* path, GLint wrapMode) = 0;
    // Kept for kinds that may need to rebuild their storage; returns true.
    virtual bool Refresh() = 0;
    // Enables GL_TEXTURE_2D and binds this texture to it.
    virtual void Bind();

    GLuint Name() const { return name; }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

protected:
    GLuint name = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A picture read from a PNG file, bottom row first.
class ImageTexture : public Texture {
public:
    ImageTexture();
    ~ImageTexture() override;

    // False (and a line on standard error) when the picture cannot be read;
    // the texture then has no image and a size of 0 by 0.
    bool Load(const char* path, GLint wrapMode) override;
    bool Refresh() override;
};

// A blank square texture, filled later by a frame-buffer copy or a colour.
class RenderTexture : public Texture {
public:
    ~RenderTexture() override;

    bool Load(const char* path, GLint wrapMode) override;
    bool Refresh() override;
    // channels: 1 alpha, 3 RGB, 4 RGBA, anything else RGB.
    bool Create(int32_t size, int32_t channels, GLint wrapMode);
};
