#pragma once

#include "tests/support/HeadlessGL.h"

#include <cstdint>
#include <functional>
#include <string>

// Writes an 8-bit RGBA test picture whose texel (x, y), counted from the
// top-left corner as in the file, has the given colour; returns its path.
std::string WriteTestPicture(const std::string& fileName, uint32_t width, uint32_t height,
                             const std::function<Rgba(uint32_t x, uint32_t y)>& texel);

// A 640 by 480 context whose viewport maps one unit of the 2D space to one
// pixel, with the helper's default state, black, opaque white colour.
class Screen2DTest : public GLTest {
protected:
    int32_t ContextWidth() const override { return 640; }
    int32_t ContextHeight() const override { return 480; }
    void SetUp() override;
};
