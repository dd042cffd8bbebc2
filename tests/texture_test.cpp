#include "effects/RenderHelper.h"
#include "resources/ImageRegistry.h"
#include "resources/PngLoader.h"
#include "resources/Texture.h"
#include "tests/support/GLDrawing.h"
#include "tests/support/PngWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kWhite{255, 255, 255, 255};

// Top-left red, top-right green, bottom-left blue, bottom-right white.
Rgba Quadrants(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    const bool right = x >= width / 2;
    const bool top = y < height / 2;
    if (top)
        return right ? kGreen : kRed;
    return right ? kWhite : kBlue;
}

class PictureTexture : public Screen2DTest {
protected:
    void DrawFullScreen(Texture* texture)
    {
        helper.Clear(0.0f, 0.0f, 0.0f);
        helper.BeginOrtho();
        helper.DrawFullScreen(texture);
        helper.EndOrtho();
    }

    void ExpectQuadrantsOnScreen()
    {
        EXPECT_TRUE(NearColour(Pixel(160, 360), 255, 0, 0)) << "top left";
        EXPECT_TRUE(NearColour(Pixel(480, 360), 0, 255, 0)) << "top right";
        EXPECT_TRUE(NearColour(Pixel(160, 120), 0, 0, 255)) << "bottom left";
        EXPECT_TRUE(NearColour(Pixel(480, 120), 255, 255, 255)) << "bottom right";
    }

    RenderHelper helper;
};

TEST_F(PictureTexture, ShowsThePictureUprightWithItsTopRowAtTheTop)
{
    const std::string path = WriteTestPicture("quadrants.png", 2, 2, [](uint32_t x, uint32_t y) {
        return Quadrants(x, y, 2, 2);
    });
    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP));
    EXPECT_EQ(texture.Width(), 2);
    EXPECT_EQ(texture.Height(), 2);
    DrawFullScreen(&texture);
    ExpectQuadrantsOnScreen();
}

TEST_F(PictureTexture, RgbPicturesWithRowsOfOddLengthKeepTheirTexels)
{
    // Two RGB texels make rows of six bytes, which a four-byte row alignment
    // would shear.
    PngPicture picture;
    picture.width = 2;
    picture.height = 4;
    picture.colorType = 2;
    const uint8_t colours[8][3] = {{255, 0, 0}, {0, 255, 0},   {0, 0, 255}, {255, 255, 0},
                                   {0, 255, 255}, {255, 0, 255}, {128, 0, 0}, {0, 128, 0}};
    for (const auto& colour : colours)
        picture.samples.insert(picture.samples.end(), colour, colour + 3);
    const std::string path = ScratchPath("rgb2x4.png");
    ASSERT_TRUE(WriteFile(path, EncodePng(picture)));

    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP));
    DrawFullScreen(&texture);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 2; ++column) {
            const uint8_t* c = colours[row * 2 + column];
            const int x = column * 320 + 160;
            const int y = 480 - (row * 120 + 60);
            EXPECT_TRUE(NearColour(Pixel(x, y), c[0], c[1], c[2])) << "texel " << column << ", " << row;
        }
}

TEST_F(PictureTexture, EveryEdgeRowAndColumnSurvivesScalingToPowersOfTwo)
{
    // Only one side needs scaling in each: the opposite edge must still show.
    const struct {
        uint32_t width, height;
    } sides[] = {{6, 4}, {4, 6}, {6, 2}, {3, 8}, {5, 5}};
    for (const auto& side : sides) {
        SCOPED_TRACE(std::to_string(side.width) + "x" + std::to_string(side.height));
        const std::string path = WriteTestPicture("edges.png", side.width, side.height,
                                                  [&](uint32_t x, uint32_t y) { return Quadrants(x, y, side.width, side.height); });
        ImageTexture texture;
        // Clamped to the edge texels, so that nothing but scaling mixes them.
        ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP_TO_EDGE));
        DrawFullScreen(&texture);
        // Inside the first and last texel of the picture, away from any blend.
        const int insetX = int(640 / side.width / 4), insetY = int(480 / side.height / 4);
        EXPECT_TRUE(NearColour(Pixel(insetX, 479 - insetY), 255, 0, 0, 60)) << "top left";
        EXPECT_TRUE(NearColour(Pixel(639 - insetX, 479 - insetY), 0, 255, 0, 60)) << "top right";
        EXPECT_TRUE(NearColour(Pixel(insetX, insetY), 0, 0, 255, 60)) << "bottom left";
        EXPECT_TRUE(NearColour(Pixel(639 - insetX, insetY), 255, 255, 255, 60)) << "bottom right";
    }
}

TEST_F(PictureTexture, PicturesOfOtherSidesKeepTheirFileSizeAndShowUpright)
{
    const std::string path = WriteTestPicture("npot.png", 300, 200, [](uint32_t x, uint32_t y) {
        return Quadrants(x, y, 300, 200);
    });
    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP));
    EXPECT_EQ(texture.Width(), 300);
    EXPECT_EQ(texture.Height(), 200);
    DrawFullScreen(&texture);
    ExpectQuadrantsOnScreen();
}

TEST_F(PictureTexture, DrawnSmallItShowsTheMipmapAverage)
{
    // One-texel black and white stripes: without mipmaps a minified quad
    // would pick stripes, with them it is an even grey.
    const std::string path = WriteTestPicture("stripes.png", 256, 256, [](uint32_t x, uint32_t) {
        return (x % 2) ? kWhite : Rgba{0, 0, 0, 255};
    });
    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_REPEAT));
    helper.BeginOrtho();
    helper.DrawRect({100.0f, 132.0f, 132.0f, 100.0f}, &texture);
    helper.EndOrtho();
    for (int y = 104; y < 128; y += 6)
        for (int x = 104; x < 128; x += 6)
            EXPECT_TRUE(NearColour(Pixel(x, y), 128, 128, 128, 6)) << x << ", " << y;
}

TEST_F(PictureTexture, AlphaLetsWhatWasDrawnBeforeShowThrough)
{
    // Left half fully transparent, right half opaque red.
    const std::string path = WriteTestPicture("halfalpha.png", 4, 4, [](uint32_t x, uint32_t) {
        return x < 2 ? Rgba{255, 0, 0, 0} : kRed;
    });
    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP));
    helper.Clear(0.0f, 0.0f, 1.0f);
    helper.BeginOrtho();
    helper.EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    helper.DrawFullScreen(&texture);
    helper.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(80, 240), 0, 0, 255));
    EXPECT_TRUE(NearColour(Pixel(560, 240), 255, 0, 0));
}

TEST_F(PictureTexture, TheCurrentColourTintsAndFades)
{
    const std::string path = WriteTestPicture("white.png", 4, 4, [](uint32_t, uint32_t) { return kWhite; });
    ImageTexture texture;
    ASSERT_TRUE(texture.Load(path.c_str(), GL_CLAMP));
    helper.BeginOrtho();
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    helper.DrawFullScreen(&texture);
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 128, 64));

    helper.Clear(0.0f, 0.0f, 1.0f);
    helper.EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 0.25f);
    helper.DrawFullScreen(&texture);
    helper.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(320, 240), 64, 64, 255));
}

class PictureFailure : public PictureTexture {};

TEST_F(PictureFailure, AMissingPictureIsReportedOnOneLineAndLeftEmpty)
{
    const std::string path = ScratchPath("absent.png");
    ImageTexture texture;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(texture.Load(path.c_str(), GL_CLAMP));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "Cannot load picture " + path + ": cannot open the file\n");
    EXPECT_EQ(texture.Width(), 0);
    EXPECT_EQ(texture.Height(), 0);
    EXPECT_NE(texture.Name(), 0u);
}

TEST_F(PictureFailure, ABrokenPictureSaysWhyAndDrawsNothingCentred)
{
    const std::string good = WriteTestPicture("whole.png", 8, 8, [](uint32_t, uint32_t) { return kWhite; });
    std::vector<uint8_t> bytes = EncodePng([] {
        PngPicture picture;
        picture.width = 8;
        picture.height = 8;
        picture.samples.assign(8 * 8 * 4, 255);
        return picture;
    }());
    bytes.resize(bytes.size() / 2);
    const std::string path = ScratchPath("cut.png");
    ASSERT_TRUE(WriteFile(path, bytes));

    ImageTexture texture;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(texture.Load(path.c_str(), GL_CLAMP));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("Cannot load picture " + path + ": ", 0), 0u) << said;
    EXPECT_GT(said.size(), ("Cannot load picture " + path + ": \n").size());
    EXPECT_EQ(said.find('\n'), said.size() - 1);
    EXPECT_EQ(texture.Width(), 0);

    helper.BeginOrtho();
    helper.DrawCentered(&texture, 1.0f);
    helper.EndOrtho();
    EXPECT_TRUE(NearColour(Pixel(320, 240), 0, 0, 0));
}

TEST(PngLoad, FailsWithoutATextureForUnknownModes)
{
    pngInfo info{7, 7, 7, 7};
    EXPECT_EQ(pngLoad("whatever.png", 5, PNG_ALPHA, &info), 0);
    EXPECT_STREQ(pngLastError(), "unsupported mipmap mode");
    EXPECT_EQ(info.Width, 0u);
    EXPECT_EQ(pngLoad("whatever.png", PNG_BUILDMIPMAPS, 3, nullptr), 0);
    EXPECT_STREQ(pngLastError(), "unsupported transparency mode");
}

class Registry : public PictureTexture {
protected:
    ImageRegistry registry;
};

TEST_F(Registry, FindsWhatWasRegisteredAndNothingElse)
{
    const std::string path = WriteTestPicture("q.png", 2, 2, [](uint32_t x, uint32_t y) {
        return Quadrants(x, y, 2, 2);
    });
    EXPECT_EQ(registry.Find("pic"), nullptr);
    EXPECT_EQ(registry.Find("pic"), nullptr);
    EXPECT_TRUE(registry.LoadImage("pic", path, GL_CLAMP));
    ASSERT_NE(registry.Find("pic"), nullptr);
    EXPECT_EQ(registry.Find("Pic"), nullptr);
    DrawFullScreen(registry.Find("pic"));
    ExpectQuadrantsOnScreen();
}

TEST_F(Registry, ABmpNameReadsThePngOfTheSameStem)
{
    const std::string png = WriteTestPicture("stem.png", 6, 2, [](uint32_t x, uint32_t y) {
        return Quadrants(x, y, 6, 2);
    });
    const std::string bmp = png.substr(0, png.size() - 3) + "bmp";
    EXPECT_TRUE(registry.LoadImage("stem", bmp, GL_CLAMP));
    ASSERT_NE(registry.Find("stem"), nullptr);
    EXPECT_EQ(registry.Find("stem")->Width(), 6);
    DrawFullScreen(registry.Find("stem"));
    ExpectQuadrantsOnScreen();
}

TEST_F(Registry, AnUnreadablePictureIsStillRegistered)
{
    testing::internal::CaptureStderr();
    EXPECT_FALSE(registry.LoadImage("gone", ScratchPath("gone.bmp"), GL_CLAMP));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Cannot load picture " + ScratchPath("gone.png") + ": "), std::string::npos) << said;
    ASSERT_NE(registry.Find("gone"), nullptr);
    EXPECT_EQ(registry.Find("gone")->Width(), 0);
    EXPECT_EQ(registry.Find("gone")->Height(), 0);
}

TEST_F(Registry, OtherExtensionsRegisterNothing)
{
    const std::string png = WriteTestPicture("upper.png", 2, 2, [](uint32_t, uint32_t) { return kWhite; });
    const std::string upper = png.substr(0, png.size() - 3) + "PNG";
    const char* refused[] = {"UPPER", "a.Bmp", "noextension", "data.dir/picture", "pic.jpg", ""};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(registry.LoadImage("upper", upper, GL_CLAMP));
    for (const char* path : refused)
        EXPECT_FALSE(registry.LoadImage(path, path, GL_CLAMP)) << path;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(registry.Find("upper"), nullptr);
    for (const char* path : refused)
        EXPECT_EQ(registry.Find(path), nullptr) << path;
}

TEST_F(Registry, ALaterPictureReplacesTheNameWhileTheEarlierLivesOn)
{
    const std::string first = WriteTestPicture("first.png", 2, 2, [](uint32_t, uint32_t) { return kRed; });
    const std::string second = WriteTestPicture("second.png", 4, 2, [](uint32_t, uint32_t) { return kGreen; });
    ASSERT_TRUE(registry.LoadImage("same", first, GL_CLAMP));
    Texture* earlier = registry.Find("same");
    ASSERT_TRUE(registry.LoadImage("same", second, GL_CLAMP));
    ASSERT_NE(registry.Find("same"), earlier);
    EXPECT_EQ(registry.Find("same")->Width(), 4);

    DrawFullScreen(earlier);
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 0, 0));
    DrawFullScreen(registry.Find("same"));
    EXPECT_TRUE(NearColour(Pixel(320, 240), 0, 255, 0));
}

TEST_F(Registry, SolidTexturesUseTheLowBytesOfTheirColour)
{
    Texture* solid = registry.CreateSolid("solid", 0x1ff, 0x280, 64);
    ASSERT_EQ(registry.Find("solid"), solid);
    EXPECT_EQ(solid->Width(), 2);
    EXPECT_EQ(solid->Height(), 2);
    helper.BeginOrtho();
    helper.DrawFullScreenShifted(solid, 0.3f, 0.7f, -2.0f);
    helper.EndOrtho();
    for (int x : {1, 320, 638})
        EXPECT_TRUE(NearColour(Pixel(x, 240), 255, 128, 64)) << x;
    GLint wrap = 0;
    solid->Bind();
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
}

TEST_F(Registry, RenderTargetsTakeTheirFormatFromTheChannelCount)
{
    const struct {
        int32_t channels;
        GLint format;
    } cases[] = {{1, GL_ALPHA}, {2, GL_RGB}, {3, GL_RGB}, {4, GL_RGBA}, {0, GL_RGB}};
    for (const auto& c : cases) {
        const std::string name = "target" + std::to_string(c.channels);
        Texture* target = registry.CreateRenderTarget(name, 16, c.channels);
        ASSERT_EQ(registry.Find(name), target);
        EXPECT_EQ(target->Width(), 16);
        EXPECT_EQ(target->Height(), 16);
        target->Bind();
        GLint format = 0, width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(format, c.format) << c.channels;
        EXPECT_EQ(width, 16);
    }
}

TEST_F(PictureTexture, TextureNamesOutliveTheRegistry)
{
    GLuint picture = 0, solid = 0;
    {
        ImageRegistry registry;
        const std::string path = WriteTestPicture("kept.png", 2, 2, [](uint32_t, uint32_t) { return kBlue; });
        ASSERT_TRUE(registry.LoadImage("kept", path, GL_CLAMP));
        picture = registry.Find("kept")->Name();
        solid = registry.CreateSolid("solid", 1, 2, 3)->Name();
    }
    EXPECT_TRUE(glIsTexture(picture));
    EXPECT_TRUE(glIsTexture(solid));
}

} // namespace
