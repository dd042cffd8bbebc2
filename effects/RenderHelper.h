#pragma once

#include <GL/gl.h>

#include <cstdint>

class Texture;

// A rectangle of the 640 by 480 2D space, origin at the bottom left.
struct ScreenRect {
    float left;
    float top;
    float right;
    float bottom;
};

// The drawing toolbox of the effects and the disclaimer. Projections are
// multiplied onto the current (modelview) matrix; the matrix mode is never
// changed. Quads are drawn in the caller's colour and blending.
class RenderHelper {
public:
    // Applies the default GL state to the current context.
    RenderHelper();
    virtual ~RenderHelper();

    void Clear(float r, float g, float b);
    void BeginOrtho();
    void EndOrtho();
    void ApplyPerspective();
    void EnableBlend(GLenum source, GLenum destination);
    void DisableBlend();
    void SetSphereMap(bool on);
    // A side of 0 or less takes the window's viewport size.
    void SetViewport(int32_t w, int32_t h);
    void DrawRect(ScreenRect rect, Texture* texture);
    void DrawCentered(Texture* texture, float scale);
    void DrawFullScreen(Texture* texture);
    void DrawFullScreenShifted(Texture* texture, float du, float dv, float inset);
    void CopyToTexture(Texture* texture, GLenum internalFormat);

    // While quiet, frames change every GL state and every effect's own state
    // but no pixel: the rasteriser discards everything (clears included) and
    // copies into textures are skipped, since they would copy nothing drawn
    // (the texture is still bound).
    // Fast-forwarding plays the show this way. Before OpenGL 3.0 the driver
    // refuses the discard (GL_INVALID_ENUM, left in its error flag) and the
    // pixels are drawn, to be cleared by the next frame drawn for real:
    // slower, as exact.
    void SetQuiet(bool quiet);
    bool IsQuiet() const { return quiet; }

    float Width() const { return width; }
    float Height() const { return height; }

private:
    float width = 640.0f;
    float height = 480.0f;
    float fieldOfView = 45.0f;
    float nearPlane = 0.1f;
    float farPlane = 10000.0f;
    bool quiet = false;
};
