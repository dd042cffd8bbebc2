#include "effects/GlowBeginEffect.h"
#include "effects/GlowComposeEffect.h"
#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "tests/support/EffectPasses.h"
#include "tests/support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// Paints a texture opaquely over part of the 2D space in one pass only, as a
// stand-in for the scene effects that draw between begin and compose.
class PaintEffect : public Effect {
public:
    PaintEffect(Texture* paint, ScreenRect where, int32_t inPass)
        : texture(paint), rect(where), onlyPass(inPass)
    {
    }
    virtual ~PaintEffect() = default;

    int32_t Init() override { return 0; }
    int32_t Uninit() override { return 0; }
    int32_t Update(uint32_t) override { return 0; }
    void Render() override
    {
        if (pass != onlyPass)
            return;
        glPushMatrix();
        renderHelper->BeginOrtho();
        renderHelper->DisableBlend();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        renderHelper->DrawRect(rect, texture);
        renderHelper->EndOrtho();
        glPopMatrix();
    }

private:
    Texture* texture;
    ScreenRect rect;
    int32_t onlyPass;
};

constexpr ScreenRect kLeftHalf{0.0f, 480.0f, 320.0f, 0.0f};
constexpr ScreenRect kRightHalf{320.0f, 480.0f, 640.0f, 0.0f};

// The clear colour (0, 0.025, 0.05) in eight bits.
constexpr int kClearG = 6;
constexpr int kClearB = 13;

class GlowPipeline : public GLTest {
protected:
    int32_t ContextWidth() const override { return 800; }
    int32_t ContextHeight() const override { return 600; }

    void SetUp() override
    {
        GLTest::SetUp();
        helper = std::make_unique<RenderHelper>();
        red = registry.CreateSolid("red", 255, 0, 0);
        green = registry.CreateSolid("green", 0, 255, 0);
        white = registry.CreateSolid("white", 255, 255, 255);
        Prepare(begin);
        ASSERT_EQ(begin.Init(), 0);
        Prepare(compose);
        ASSERT_EQ(compose.Init(), 0);
    }

    void Prepare(Effect& effect)
    {
        effect.SetImageRegistry(&registry);
        effect.SetRenderHelper(helper.get());
    }

    // Begin, the painters, compose: the order of the driver's list.
    void Build(std::vector<PaintEffect*> painters, bool composeOn)
    {
        slots.clear();
        slots.push_back({&begin, RunningBlock()});
        for (PaintEffect* painter : painters) {
            Prepare(*painter);
            slots.push_back({painter, RunningBlock()});
        }
        EffectParams composeBlock = RunningBlock();
        composeBlock.flags[kRunningFlag] = composeOn ? 1 : 0;
        slots.push_back({&compose, composeBlock});
    }

    // First x of a window row where green outweighs red, past the leftmost
    // pixels, where the repeating scene blends its two edges.
    int FirstGreenColumn(int row) const
    {
        for (int x = 4; x < 800; ++x) {
            const Rgba p = Pixel(x, row);
            if (p.g > p.r)
                return x;
        }
        return -1;
    }

    ImageRegistry registry;
    std::unique_ptr<RenderHelper> helper;
    GlowBeginEffect begin;
    GlowComposeEffect compose;
    std::vector<EffectSlot> slots;
    Texture* red = nullptr;
    Texture* green = nullptr;
    Texture* white = nullptr;
};

TEST_F(GlowPipeline, BeginMakesASceneTargetAndAGlowTarget)
{
    Texture* scene = registry.Find("buffer");
    Texture* glow = registry.Find("glowbuffer");
    ASSERT_NE(scene, nullptr);
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(scene->Width(), 512);
    EXPECT_EQ(scene->Height(), 512);
    EXPECT_EQ(glow->Width(), 16);
    EXPECT_EQ(glow->Height(), 16);
}

TEST_F(GlowPipeline, ComposeFailsWithoutEitherRenderTarget)
{
    ImageRegistry empty;
    GlowComposeEffect lonely;
    lonely.SetImageRegistry(&empty);
    lonely.SetRenderHelper(helper.get());
    EXPECT_EQ(lonely.Init(), 1);
    empty.CreateRenderTarget("glowbuffer", 16, 3);
    EXPECT_EQ(lonely.Init(), 1);
    empty.CreateRenderTarget("buffer", 512, 3);
    EXPECT_EQ(lonely.Init(), 0);
}

TEST_F(GlowPipeline, EachPassClearsTheWholeFrameAndDrawsIntoItsOwnSquare)
{
    PaintEffect glowPaint(white, kLeftHalf, 0);
    PaintEffect mainPaint(red, kLeftHalf, 1);
    Build({&glowPaint, &mainPaint}, false);

    RunPass(slots, 0, 16);
    EXPECT_TRUE(NearColour(Pixel(0, 0), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(7, 15), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(8, 8), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(7, 16), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(700, 500), 0, kClearG, kClearB));

    RunPass(slots, 1, 16);
    // The glow pass's corner is cleared away too.
    EXPECT_TRUE(NearColour(Pixel(0, 0), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(255, 511), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(256, 256), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(100, 512), 0, kClearG, kClearB));
}

TEST_F(GlowPipeline, DisabledComposeLeavesTheMainPassAtTheLowerLeftOnDarkBlue)
{
    PaintEffect left(red, kLeftHalf, 1);
    PaintEffect right(green, kRightHalf, 1);
    Build({&left, &right}, false);
    RunFrame(slots, 16);

    EXPECT_TRUE(NearColour(Pixel(100, 100), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(400, 400), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(511, 511), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(512, 100), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(700, 300), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(300, 550), 0, kClearG, kClearB));
}

TEST_F(GlowPipeline, GlowPassIsCapturedAsLuminanceAndTheMainPassAsRgb)
{
    PaintEffect glowPaint(white, kLeftHalf, 0);
    PaintEffect mainPaint(red, kLeftHalf, 1);
    Build({&glowPaint, &mainPaint}, true);
    RunFrame(slots, 16);

    // Show each capture over the window as it is. Luminance keeps only the
    // red of the dark-blue clear; RGB keeps all of it.
    helper->SetViewport(0, 0);
    helper->DisableBlend();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    helper->BeginOrtho();
    helper->DrawFullScreen(registry.Find("glowbuffer"));
    EXPECT_TRUE(NearColour(Pixel(100, 300), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(700, 300), 0, 0, 0));
    helper->DrawFullScreen(registry.Find("buffer"));
    EXPECT_TRUE(NearColour(Pixel(100, 300), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(700, 300), 0, kClearG, kClearB));
    helper->EndOrtho();
    glPopMatrix();
}

TEST_F(GlowPipeline, InTheGlowPassComposeDrawsNothingAndKeepsTheSmallViewport)
{
    PaintEffect glowPaint(white, kLeftHalf, 0);
    Build({&glowPaint}, true);
    RunPass(slots, 0, 16);
    EXPECT_TRUE(NearColour(Pixel(3, 3), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(400, 300), 0, kClearG, kClearB));

    // Whatever is drawn next still lands in the 16 by 16 corner.
    glPushMatrix();
    helper->BeginOrtho();
    helper->DrawFullScreen(green);
    helper->EndOrtho();
    glPopMatrix();
    EXPECT_TRUE(NearColour(Pixel(15, 15), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(16, 16), 0, kClearG, kClearB));
}

TEST_F(GlowPipeline, ComposeStretchesTheSceneOverTheWholeWindow)
{
    PaintEffect left(red, kLeftHalf, 1);
    PaintEffect right(green, kRightHalf, 1);
    Build({&left, &right}, true);
    // Two updates of 872 ms put the wobble where cos(0.9 t) is about 0: the
    // phase hardly changes with height and keeps away from the tangent's
    // zeros, so no strip moves by as much as a pixel.
    RunFrame(slots, 872);

    EXPECT_TRUE(NearColour(Pixel(2, 2), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(380, 300), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(2, 597), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(420, 300), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(797, 2), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(790, 590), 0, 255, 0));
    for (int row : {3, 150, 300, 450, 596})
        EXPECT_NEAR(FirstGreenColumn(row), 400, 2) << "row " << row;
}

TEST_F(GlowPipeline, GlowLayersBrightenWhereTheGlowPassWasBright)
{
    PaintEffect glowPaint(white, kLeftHalf, 0);
    Build({&glowPaint}, true);
    RunFrame(slots, 872);

    // Six layers each add 0.5 x (0.3, 0.4, 0.2) of the glow's grey.
    EXPECT_TRUE(NearColour(Pixel(200, 300), 229, 255, kClearB + 153, 4));
    EXPECT_TRUE(NearColour(Pixel(200, 50), 229, 255, kClearB + 153, 4));
    // The middle samples half way between a bright and a dark texel.
    EXPECT_TRUE(NearColour(Pixel(400, 300), 115, kClearG + 153, kClearB + 76, 6));
    EXPECT_TRUE(NearColour(Pixel(650, 300), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(650, 500), 0, kClearG, kClearB));
    // The glow repeats: its bright left column bleeds in at the right edge.
    EXPECT_GT(Pixel(797, 300).r, 0);
}

TEST_F(GlowPipeline, LowestStripShearsByTheFirstRandomDrawTimesTheAmplitude)
{
    PaintEffect left(red, kLeftHalf, 1);
    PaintEffect right(green, kRightHalf, 1);
    Build({&left, &right}, true);
    CrtSeed(1);
    // A wobble time of 0.002 puts the tangent near zero at the bottom.
    RunFrame(slots, 1);

    // First draw 41: 41 mod 11 - 5 = 3 amplitudes at the strip's top edge,
    // none at its bottom edge, which joins the (absent) strip below.
    const double offset = 3.0 * float(0.0002 / std::tan(0.002));
    // The strip spans 2D rows 0 to 4, window rows 0 to 5.
    for (int row : {0, 2, 4}) {
        const double fraction = (row + 0.5) * 0.8 / 4.0;
        const double edge = 800.0 * (0.5 - fraction * offset);
        EXPECT_NEAR(FirstGreenColumn(row), edge, 2.0) << "row " << row;
    }
    // Higher up the amplitude is tiny again.
    EXPECT_NEAR(FirstGreenColumn(150), 400, 2);
}

TEST_F(GlowPipeline, WobbleTimeZeroTearsOnlyTheLowestStrips)
{
    PaintEffect left(red, kLeftHalf, 1);
    PaintEffect right(green, kRightHalf, 1);
    Build({&left, &right}, true);
    CrtSeed(1);
    // No time yet: the tangent is 0 at the bottom edge and the first strip's
    // amplitude is infinite. Only the two strips that use that offset tear.
    RunFrame(slots, 0);
    EXPECT_EQ(compose.WobbleTime(), 0.0f);
    for (int row = 20; row < 600; row += 10)
        EXPECT_NEAR(FirstGreenColumn(row), 400, 3) << "row " << row;
}

TEST(GlowComposeWobble, AdvancesByTheUpdateTimeInSeconds)
{
    GlowComposeEffect compose;
    compose.SetParams(EffectParams{});
    compose.Update(500);
    EXPECT_FLOAT_EQ(compose.WobbleTime(), 0.5f);
    compose.Update(250);
    EXPECT_FLOAT_EQ(compose.WobbleTime(), 0.75f);
    compose.Update(0);
    EXPECT_FLOAT_EQ(compose.WobbleTime(), 0.75f);
}

TEST(GlowComposeWobble, AnyStepThrowsItToTheNextRandomValue)
{
    GlowComposeEffect compose;
    EffectParams step{};
    step.flags[kPatternStepFlag] = '*';
    compose.SetParams(step);

    CrtSeed(1);
    compose.Update(0);
    EXPECT_EQ(compose.WobbleTime(), 41.0f);
    // Replaced, not added to.
    compose.Update(5000);
    EXPECT_EQ(compose.WobbleTime(), 18467.0f);

    step.flags[kPatternStepFlag] = 1;
    compose.SetParams(step);
    CrtSeed(777);
    for (int i = 0; i < 1000; ++i) {
        compose.Update(0);
        ASSERT_GE(compose.WobbleTime(), 0.0f);
        ASSERT_LE(compose.WobbleTime(), 32767.0f);
        ASSERT_EQ(compose.WobbleTime(), std::floor(compose.WobbleTime()));
    }
}

} // namespace
