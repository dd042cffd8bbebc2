#include "tests/support/GLDrawing.h"

#include "effects/RenderHelper.h"
#include "tests/support/PngWriter.h"

#include <vector>

std::string WriteTestPicture(const std::string& fileName, uint32_t width, uint32_t height,
                             const std::function<Rgba(uint32_t x, uint32_t y)>& texel)
{
    std::vector<uint8_t> rgba;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const Rgba colour = texel(x, y);
            rgba.insert(rgba.end(), {colour.r, colour.g, colour.b, colour.a});
        }
    const std::string path = ScratchPath(fileName);
    EXPECT_TRUE(WriteRgbaPng(path, width, height, rgba)) << path;
    return path;
}

void Screen2DTest::SetUp()
{
    GLTest::SetUp();
    if (HasFatalFailure())
        return;
    RenderHelper helper;
    helper.SetViewport(640, 480);
    helper.DisableBlend();
    glLoadIdentity();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    helper.Clear(0.0f, 0.0f, 0.0f);
}
