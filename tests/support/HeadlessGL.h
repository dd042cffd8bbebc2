#pragma once

#include "app/GLWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};

// A real OpenGL compatibility context on SDL's offscreen driver (EGL on
// Mesa), made through the program's own GLWindow without multisampling and
// installed as the process's window for its lifetime. Pixels are read from
// the back buffer, where everything is drawn.
class HeadlessGL {
public:
    HeadlessGL(int32_t width, int32_t height);
    ~HeadlessGL();

    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;

    bool Ok() const { return window.IsCreated(); }
    GLWindow& Window() { return window; }

    // x, y in window pixels from the lower left.
    Rgba Pixel(int32_t x, int32_t y) const;
    std::vector<uint8_t> ReadRgba(int32_t x, int32_t y, int32_t width, int32_t height) const;

private:
    GLWindow window;
    GLWindow* previous;
};

// A test with a fresh context of a chosen size (64 by 64 unless the test
// overrides ContextWidth and ContextHeight).
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual int32_t ContextWidth() const { return 64; }
    virtual int32_t ContextHeight() const { return 64; }

    Rgba Pixel(int32_t x, int32_t y) const { return gl->Pixel(x, y); }

    std::unique_ptr<HeadlessGL> gl;
};

// Within tolerance per channel, for linear filtering and blending.
::testing::AssertionResult NearColour(const Rgba& actual, int r, int g, int b, int tolerance = 2);
