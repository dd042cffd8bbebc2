#include "effects/DisclaimerScreen.h"
#include "platform/Clock.h"
#include "tests/support/GLDrawing.h"
#include "tests/support/PngWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

// Looks at every presented frame: a fade sleeps right after presenting, so
// the sleep is where the frame just shown is read back.
class FrameProbe final : public ClockSource {
public:
    explicit FrameProbe(HeadlessGL& context)
        : gl(context)
    {
        SetClockSource(this);
    }
    ~FrameProbe() override { SetClockSource(nullptr); }

    uint32_t TimeMs() override { return 0; }
    uint32_t TickCount() override { return 0; }
    void Sleep(uint32_t milliseconds) override
    {
        sleeps.push_back(milliseconds);
        centre.push_back(gl.Pixel(320, 240).r);
    }

    HeadlessGL& gl;
    std::vector<uint32_t> sleeps;
    std::vector<int> centre;
};

class Disclaimer : public Screen2DTest {
protected:
    void SetUp() override
    {
        Screen2DTest::SetUp();
        whitePicture = WriteTestPicture("disclaimer.png", 256, 256, [](uint32_t, uint32_t) {
            return Rgba{255, 255, 255, 255};
        });
    }

    bool Lit(int32_t x, int32_t y) const { return Pixel(x, y).r > 128; }

    std::string whitePicture;
};

TEST_F(Disclaimer, FadeInRisesFromBlackInAHundredAndOneFrames)
{
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    FrameProbe probe(*gl);
    screen.FadeIn();
    ASSERT_EQ(probe.centre.size(), 101u);
    EXPECT_EQ(probe.sleeps, std::vector<uint32_t>(101, 1));
    EXPECT_EQ(probe.centre.front(), 0);
    EXPECT_EQ(probe.centre.back(), 255);
    for (size_t i = 0; i < probe.centre.size(); ++i)
        EXPECT_NEAR(probe.centre[i], i * 0.01 * 255.0, 1.5) << "frame " << i;
}

TEST_F(Disclaimer, FadeOutFallsFromFullToBlackInAHundredAndOneFrames)
{
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    FrameProbe probe(*gl);
    screen.FadeOut();
    ASSERT_EQ(probe.centre.size(), 101u);
    EXPECT_EQ(probe.sleeps, std::vector<uint32_t>(101, 1));
    EXPECT_EQ(probe.centre.front(), 255);
    EXPECT_EQ(probe.centre.back(), 0);
    for (size_t i = 0; i < probe.centre.size(); ++i)
        EXPECT_NEAR(probe.centre[i], (1.0 - i * 0.01) * 255.0, 1.5) << "frame " << i;
}

TEST_F(Disclaimer, DrawsThePictureCentredAtAQuarterOfItsSizeOnBlack)
{
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    EXPECT_EQ(screen.Scale(), 0.25f);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    screen.Draw(1.0f);
    // 256 texels at 0.25: x from 288 to 352, y from 208 to 272.
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(289, 209), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(287, 240), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(320, 273), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(5, 5), 0, 0, 0));
}

TEST_F(Disclaimer, ThePicturesAlphaDecidesItsCoverage)
{
    const std::string path = WriteTestPicture("halfclear.png", 4, 4, [](uint32_t x, uint32_t) {
        return Rgba{255, 255, 255, uint8_t(x < 2 ? 0 : 255)};
    });
    DisclaimerScreen screen;
    screen.Load(path.c_str());
    // 150 steps bring the scale to 1: four units wide, the left two clear.
    for (int i = 0; i < 150; ++i)
        screen.Progress();
    EXPECT_TRUE(NearColour(Pixel(318, 240), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(321, 240), 255, 255, 255));
}

TEST_F(Disclaimer, ProgressGrowsThePictureAndDrawsAtFullBrightness)
{
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    FrameProbe probe(*gl);
    screen.FadeOut();
    screen.Progress();
    EXPECT_FLOAT_EQ(screen.Scale(), 0.255f);
    EXPECT_TRUE(NearColour(Pixel(320, 240), 255, 255, 255));
    EXPECT_FALSE(Lit(320 + 50, 240));
    for (int i = 0; i < 49; ++i)
        screen.Progress();
    // Fifty steps of 0.005 double the size: 128 units across.
    EXPECT_NEAR(screen.Scale(), 0.5f, 1e-5f);
    EXPECT_TRUE(Lit(320 + 50, 240));
    EXPECT_TRUE(Lit(320 - 63, 240 + 63));
    EXPECT_FALSE(Lit(320 - 66, 240));
    // Progress presents but never waits.
    EXPECT_EQ(probe.sleeps.size(), 101u);
}

TEST_F(Disclaimer, DrawingLeavesTheMatrixStackAsItFoundIt)
{
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    glLoadIdentity();
    glRotatef(30.0f, 0.0f, 0.0f, 1.0f);
    GLint depthBefore = 0, depthAfter = 0;
    std::array<GLfloat, 16> before{}, after{};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    glGetFloatv(GL_MODELVIEW_MATRIX, before.data());
    for (int i = 0; i < 40; ++i)
        screen.Draw(0.5f);
    screen.Progress();
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_EQ(after, before);
    // The rotation on the stack did not turn the picture: it is drawn in
    // its own space.
    EXPECT_TRUE(NearColour(Pixel(289, 209), 255, 255, 255));
}

TEST_F(Disclaimer, LeavesTheDefaultDrawingStateInForce)
{
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_ALWAYS);
    DisclaimerScreen screen;
    screen.Load(whitePicture.c_str());
    screen.Draw(1.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint depthFunc = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(Disclaimer, AMissingPictureDoesNotStopTheStartUp)
{
    const std::string path = ScratchPath("no-such-disclaimer.png");
    DisclaimerScreen screen;
    testing::internal::CaptureStderr();
    screen.Load(path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot load picture " + path + ": cannot open the file\n");

    FrameProbe probe(*gl);
    screen.FadeIn();
    for (int i = 0; i < 10; ++i)
        screen.Progress();
    screen.FadeOut();
    EXPECT_EQ(probe.centre.size(), 202u);
    for (int centre : probe.centre)
        EXPECT_EQ(centre, 0);
}

TEST_F(Disclaimer, DrawingBeforeAnyLoadShowsBlack)
{
    DisclaimerScreen screen;
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    screen.Draw(1.0f);
    EXPECT_TRUE(NearColour(Pixel(320, 240), 0, 0, 0));
}

} // namespace
