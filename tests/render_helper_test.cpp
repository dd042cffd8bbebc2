#include "effects/RenderHelper.h"
#include "resources/ImageRegistry.h"
#include "resources/Texture.h"
#include "tests/support/GLDrawing.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// A 4 by 4 picture whose every texel has its own colour, from its column
// and its row counted from the bottom.
Rgba Checker(uint32_t x, uint32_t rowFromBottom)
{
    return Rgba{uint8_t(40 + x * 60), uint8_t(40 + rowFromBottom * 60), uint8_t(x == rowFromBottom ? 200 : 20), 255};
}

class Helper : public Screen2DTest {
protected:
    ImageTexture& Picture(const std::string& fileName, uint32_t width, uint32_t height, Rgba colour,
                          GLint wrap = GL_CLAMP_TO_EDGE)
    {
        const std::string path = WriteTestPicture(fileName, width, height, [=](uint32_t, uint32_t) { return colour; });
        pictures.push_back(std::make_unique<ImageTexture>());
        EXPECT_TRUE(pictures.back()->Load(path.c_str(), wrap));
        return *pictures.back();
    }

    ImageTexture& CheckerPicture()
    {
        const std::string path = WriteTestPicture("checker.png", 4, 4, [](uint32_t x, uint32_t y) {
            return Checker(x, 3 - y);
        });
        pictures.push_back(std::make_unique<ImageTexture>());
        EXPECT_TRUE(pictures.back()->Load(path.c_str(), GL_CLAMP_TO_EDGE));
        return *pictures.back();
    }

    bool Lit(int32_t x, int32_t y) const
    {
        const Rgba pixel = Pixel(x, y);
        return pixel.r > 128 && pixel.g > 128 && pixel.b > 128;
    }

    RenderHelper helper;
    std::vector<std::unique_ptr<ImageTexture>> pictures;
};

TEST_F(Helper, KnowsItsTwoDimensionalSpace)
{
    EXPECT_EQ(helper.Width(), 640.0f);
    EXPECT_EQ(helper.Height(), 480.0f);
}

TEST_F(Helper, ConstructionPutsTheDefaultStateInForce)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glShadeModel(GL_FLAT);
    RenderHelper fresh;
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP);
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &value);
    EXPECT_EQ(value, GL_SPHERE_MAP);

    // Depth testing with LEQUAL: a nearer quad drawn first hides a farther one.
    ImageTexture& red = Picture("red.png", 2, 2, {255, 0, 0, 255});
    ImageTexture& green = Picture("green.png", 2, 2, {0, 255, 0, 255});
    fresh.Clear(0.0f, 0.0f, 0.0f);
    fresh.BeginOrtho();
    glTranslatef(0.0f, 0.0f, 0.5f);
    fresh.DrawFullScreen(&red);
    glTranslatef(0.0f, 0.0f, -1.0f);
    fresh.DrawFullScreen(&green);
    fresh.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 0, 0));
}

TEST_F(Helper, ClearsColourAndDepth)
{
    helper.Clear(0.0f, 1.0f, 0.0f);
    EXPECT_TRUE(NearColour(Pixel(5, 5), 0, 255, 0));
    float depth = 0.0f;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
}

TEST_F(Helper, DrawCenteredCoversItsScaledSizeAroundTheCentre)
{
    ImageTexture& white = Picture("white256x128.png", 256, 128, {255, 255, 255, 255});
    helper.BeginOrtho();
    helper.DrawCentered(&white, 0.25f);
    helper.EndOrtho();
    // x from 288 to 352, y from 224 to 256.
    EXPECT_FALSE(Lit(287, 240));
    EXPECT_TRUE(Lit(288, 240));
    EXPECT_TRUE(Lit(351, 240));
    EXPECT_FALSE(Lit(352, 240));
    EXPECT_FALSE(Lit(320, 223));
    EXPECT_TRUE(Lit(320, 224));
    EXPECT_TRUE(Lit(320, 255));
    EXPECT_FALSE(Lit(320, 256));
}

TEST_F(Helper, DrawCenteredFollowsTheViewportScale)
{
    // Half the viewport: the 2D space shrinks with it.
    ImageTexture& white = Picture("white256x128.png", 256, 128, {255, 255, 255, 255});
    helper.SetViewport(320, 240);
    helper.BeginOrtho();
    helper.DrawCentered(&white, 0.25f);
    helper.EndOrtho();
    EXPECT_FALSE(Lit(143, 120));
    EXPECT_TRUE(Lit(144, 120));
    EXPECT_TRUE(Lit(175, 120));
    EXPECT_FALSE(Lit(176, 120));
    EXPECT_FALSE(Lit(160, 111));
    EXPECT_TRUE(Lit(160, 112));
    EXPECT_TRUE(Lit(160, 127));
    EXPECT_FALSE(Lit(160, 128));
}

TEST_F(Helper, DrawRectPutsThePictureUprightInTheRectangle)
{
    ImageTexture& checker = CheckerPicture();
    helper.BeginOrtho();
    helper.DrawRect({100.0f, 500.0f - 80.0f, 100.0f + 400.0f, 20.0f}, &checker);
    helper.EndOrtho();
    // Rectangle 400 by 400 from (100, 20): texel centres every 100 pixels.
    for (uint32_t row = 0; row < 4; ++row)
        for (uint32_t column = 0; column < 4; ++column) {
            const Rgba want = Checker(column, row);
            EXPECT_TRUE(NearColour(Pixel(int(150 + column * 100), int(70 + row * 100)), want.r, want.g, want.b))
                << column << ", " << row;
        }
    EXPECT_TRUE(NearColour(Pixel(99, 200), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(500, 200), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(300, 19), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(300, 420), 0, 0, 0));
}

TEST_F(Helper, DrawFullScreenShiftedWithInsetShowsTheCentralHalf)
{
    ImageTexture& checker = CheckerPicture();
    helper.BeginOrtho();
    helper.DrawFullScreenShifted(&checker, 0.0f, 0.0f, 0.25f);
    helper.EndOrtho();
    // Texels 1 and 2 of each axis, each stretched over half the screen.
    for (uint32_t row = 1; row <= 2; ++row)
        for (uint32_t column = 1; column <= 2; ++column) {
            const Rgba want = Checker(column, row);
            const int x = int((column - 1) * 320 + 160), y = int((row - 1) * 240 + 120);
            EXPECT_TRUE(NearColour(Pixel(x, y), want.r, want.g, want.b)) << column << ", " << row;
        }
}

TEST_F(Helper, DrawFullScreenShiftedSlidesTheWindow)
{
    ImageTexture& checker = CheckerPicture();
    helper.BeginOrtho();
    helper.DrawFullScreenShifted(&checker, 0.25f, 0.5f, 0.25f);
    helper.EndOrtho();
    // The window now runs from 0.5 to 1.0 across and 0.75 to 1.25 up: the
    // centres of columns 2 and 3 at a quarter and three quarters of the
    // width, the top row from an eighth of the height up (clamped above).
    const Rgba left = Checker(2, 3), right = Checker(3, 3);
    for (int y : {180, 300, 470}) {
        EXPECT_TRUE(NearColour(Pixel(160, y), left.r, left.g, left.b)) << y;
        EXPECT_TRUE(NearColour(Pixel(480, y), right.r, right.g, right.b)) << y;
    }
    // Halfway between rows 2 and 3 at the bottom edge.
    const Rgba below = Checker(2, 2);
    EXPECT_TRUE(NearColour(Pixel(160, 0), (left.r + below.r) / 2, (left.g + below.g) / 2, (left.b + below.b) / 2, 4));
}

TEST_F(Helper, DrawFullScreenShiftedWithZerosIsDrawFullScreen)
{
    ImageTexture& checker = CheckerPicture();
    helper.BeginOrtho();
    helper.DrawFullScreen(&checker);
    const std::vector<uint8_t> plain = gl->ReadRgba(0, 0, 640, 480);
    helper.Clear(0.0f, 0.0f, 0.0f);
    helper.DrawFullScreenShifted(&checker, 0.0f, 0.0f, 0.0f);
    helper.EndOrtho();
    EXPECT_EQ(gl->ReadRgba(0, 0, 640, 480), plain);
    // And it covers the whole space, corner to corner.
    const Rgba lowerLeft = Checker(0, 0), upperRight = Checker(3, 3);
    EXPECT_TRUE(NearColour(Pixel(0, 0), lowerLeft.r, lowerLeft.g, lowerLeft.b));
    EXPECT_TRUE(NearColour(Pixel(639, 479), upperRight.r, upperRight.g, upperRight.b));
}

TEST_F(Helper, SetViewportLimitsDrawingAndZeroTakesTheWindowSize)
{
    ImageTexture& white = Picture("white.png", 2, 2, {255, 255, 255, 255});
    helper.SetViewport(320, 240);
    helper.BeginOrtho();
    helper.DrawFullScreen(&white);
    helper.EndOrtho();
    EXPECT_TRUE(Lit(300, 220));
    EXPECT_FALSE(Lit(340, 260));
    EXPECT_FALSE(Lit(600, 400));

    helper.SetViewport(0, 0);
    helper.BeginOrtho();
    helper.DrawFullScreen(&white);
    helper.EndOrtho();
    EXPECT_TRUE(Lit(600, 400));
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport[2], gl->Window().Width());
    EXPECT_EQ(viewport[3], gl->Window().Height());

    helper.SetViewport(-5, 100);
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport[2], gl->Window().Width());
    EXPECT_EQ(viewport[3], 100);
}

TEST_F(Helper, BlendingMixesAndItsEndRestoresDepthTesting)
{
    ImageTexture& red = Picture("red.png", 2, 2, {255, 0, 0, 255});
    helper.Clear(0.0f, 0.0f, 1.0f);
    helper.BeginOrtho();
    helper.EnableBlend(GL_ONE, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    helper.DrawFullScreen(&red);
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 0, 255));

    helper.DisableBlend();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    helper.Clear(0.0f, 0.0f, 1.0f);
    helper.DrawFullScreen(&red);
    helper.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 0, 0));
}

TEST_F(Helper, SphereMappingReplacesTheQuadsOwnTextureCoordinates)
{
    // Shifting the texture window by half changes the picture only while
    // coordinates come from the quad, not while they are generated.
    ImageTexture& checker = CheckerPicture();
    auto drawBoth = [&] {
        helper.Clear(0.0f, 0.0f, 0.0f);
        helper.DrawFullScreen(&checker);
        const std::vector<uint8_t> plain = gl->ReadRgba(0, 0, 640, 480);
        helper.Clear(0.0f, 0.0f, 0.0f);
        helper.DrawFullScreenShifted(&checker, 0.5f, 0.0f, 0.0f);
        return plain == gl->ReadRgba(0, 0, 640, 480);
    };
    helper.BeginOrtho();
    helper.SetSphereMap(true);
    EXPECT_TRUE(drawBoth());
    helper.SetSphereMap(false);
    EXPECT_FALSE(drawBoth());
    helper.EndOrtho();
}

TEST_F(Helper, OrthoBracketLeavesTheMatrixStackAsItWas)
{
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    GLint depthBefore = 0, depthAfter = 0;
    std::array<GLfloat, 16> before{}, after{};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    for (int i = 0; i < 5; ++i) {
        helper.BeginOrtho();
        helper.EndOrtho();
    }
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(after, before);
}

TEST_F(Helper, PerspectiveLooksDownTheNegativeZAxisWithAFortyFiveDegreeView)
{
    ImageTexture& white = Picture("white.png", 2, 2, {255, 255, 255, 255});
    glLoadIdentity();
    helper.ApplyPerspective();
    GLint projectionDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    EXPECT_EQ(projectionDepth, 1);

    // At distance 10 the half height in view is 10 * tan(22.5 degrees) = 4.142
    // and the half width 4/3 of it: a square of half side 2.071 covers the
    // middle half of the height and 3/8 of the width on each side.
    const float half = 10.0f * 0.41421356f * 0.5f;
    white.Bind();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-half, -half, -10.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-half, half, -10.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(half, half, -10.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(half, -half, -10.0f);
    glEnd();
    EXPECT_TRUE(Lit(320, 240));
    EXPECT_TRUE(Lit(320, 122));
    EXPECT_FALSE(Lit(320, 117));
    EXPECT_TRUE(Lit(320, 357));
    EXPECT_FALSE(Lit(320, 362));
    EXPECT_TRUE(Lit(202, 240));
    EXPECT_FALSE(Lit(197, 240));
    EXPECT_TRUE(Lit(437, 240));
    EXPECT_FALSE(Lit(442, 240));
}

TEST_F(Helper, CopyToTextureTakesTheLowerLeftSquareOfTheFrame)
{
    ImageRegistry registry;
    Texture* target = registry.CreateRenderTarget("buffer", 16, 3);
    ImageTexture& red = Picture("red.png", 2, 2, {255, 0, 0, 255});
    ImageTexture& green = Picture("green.png", 2, 2, {0, 255, 0, 255});

    // In the lower-left 16 by 16 pixels: red on the left, green on the right.
    helper.BeginOrtho();
    helper.DrawRect({0.0f, 16.0f, 8.0f, 0.0f}, &red);
    helper.DrawRect({8.0f, 16.0f, 16.0f, 0.0f}, &green);
    helper.CopyToTexture(target, GL_RGB);

    helper.Clear(0.0f, 0.0f, 1.0f);
    helper.DrawFullScreen(target);
    EXPECT_TRUE(NearColour(Pixel(100, 240), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(540, 240), 0, 255, 0));

    // Quiet, a frame leaves the pixels and the copy's texture as they were,
    // and the GL state as a drawn frame leaves it: the copy's texture bound.
    const std::vector<uint8_t> before = gl->ReadRgba(0, 0, 640, 480);
    helper.SetQuiet(true);
    helper.Clear(1.0f, 1.0f, 1.0f);
    helper.DrawFullScreen(&green);
    glDisable(GL_TEXTURE_2D);
    helper.CopyToTexture(target, GL_RGB);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), target->Name());
    helper.SetQuiet(false);
    EXPECT_TRUE(gl->ReadRgba(0, 0, 640, 480) == before);
    helper.DrawFullScreen(target);
    helper.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(100, 240), 255, 0, 0));
}

} // namespace
