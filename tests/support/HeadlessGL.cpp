#include "tests/support/HeadlessGL.h"

#include "app/ProcessObjects.h"

#include <SDL.h>

#include <cstdlib>

HeadlessGL::HeadlessGL(int32_t width, int32_t height)
    : previous(GetGLWindow())
{
    // Always the offscreen driver, so that tests draw the same with or
    // without a display.
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    window.AllowMultisample(false);
    InstallGLWindow(&window);
    window.Create({"test", width, height, 32, false});
}

HeadlessGL::~HeadlessGL()
{
    window.Destroy();
    InstallGLWindow(previous);
}

Rgba HeadlessGL::Pixel(int32_t x, int32_t y) const
{
    Rgba pixel{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

std::vector<uint8_t> HeadlessGL::ReadRgba(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GLTest::SetUp()
{
    gl = std::make_unique<HeadlessGL>(ContextWidth(), ContextHeight());
    ASSERT_TRUE(gl->Ok()) << "no OpenGL context on the offscreen driver: " << SDL_GetError();
}

void GLTest::TearDown()
{
    gl.reset();
}

::testing::AssertionResult NearColour(const Rgba& actual, int r, int g, int b, int tolerance)
{
    if (std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
        std::abs(actual.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << int(actual.r) << ", " << int(actual.g) << ", "
                                         << int(actual.b) << ") is not near (" << r << ", " << g << ", " << b
                                         << ")";
}
