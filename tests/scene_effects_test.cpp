#include "effects/GlowBeginEffect.h"
#include "effects/LogoEffect.h"
#include "effects/PerspectiveEffect.h"
#include "effects/PictureEffect.h"
#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "tests/support/EffectPasses.h"
#include "tests/support/HeadlessGL.h"
#include "tests/support/PngWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The clear colour (0, 0.025, 0.05) in eight bits.
constexpr int kClearG = 6;
constexpr int kClearB = 13;

struct Colour {
    int r, g, b;
};

// Colours of "pic1" to "pic6".
constexpr Colour kPictureColours[6] = {{0, 255, 0},   {0, 0, 255},   {255, 255, 0},
                                       {0, 255, 255}, {255, 0, 255}, {128, 128, 128}};

// The scene effects draw into the 512 by 512 main-pass square that the begin
// effect sets up at the lower left of the window.
class SceneEffects : public GLTest {
protected:
    int32_t ContextWidth() const override { return 800; }
    int32_t ContextHeight() const override { return 600; }

    void SetUp() override
    {
        GLTest::SetUp();
        helper = std::make_unique<RenderHelper>();
        Prepare(begin);
        ASSERT_EQ(begin.Init(), 0);
    }

    void Prepare(Effect& effect)
    {
        effect.SetImageRegistry(&registry);
        effect.SetRenderHelper(helper.get());
    }

    void RegisterPictureEffectTextures()
    {
        registry.CreateSolid("noise", 255, 255, 255);
        registry.CreateSolid("logo", 255, 0, 0);
        for (int i = 0; i < 6; ++i) {
            const Colour c = kPictureColours[i];
            registry.CreateSolid("pic" + std::to_string(i + 1), c.r, c.g, c.b);
        }
    }

    // A picture made from a function of texel position, 64 by 64, loaded
    // with GL_REPEAT. u and v run from 0 at the left and bottom to 1.
    void RegisterPng(const std::string& handle, const std::function<Rgba(double u, double v)>& texel)
    {
        const uint32_t size = 64;
        std::vector<uint8_t> rgba;
        for (uint32_t row = 0; row < size; ++row) {
            for (uint32_t column = 0; column < size; ++column) {
                const Rgba c = texel((column + 0.5) / size, 1.0 - (row + 0.5) / size);
                rgba.insert(rgba.end(), {c.r, c.g, c.b, c.a});
            }
        }
        const std::string path = ::testing::TempDir() + "scene_effects_" + handle + ".png";
        ASSERT_TRUE(WriteRgbaPng(path, size, size, rgba));
        ASSERT_TRUE(registry.LoadImage(handle, path, GL_REPEAT));
    }

    void AddSlot(Effect& effect, EffectParams block)
    {
        Prepare(effect);
        slots.push_back({&effect, block});
    }

    ImageRegistry registry;
    std::unique_ptr<RenderHelper> helper;
    GlowBeginEffect begin;
    std::vector<EffectSlot> slots;
};

// Main-pass square points, in window pixels: its centre and the middle of
// the corner logo's square (2D 540..640 by 380..480, pixels 432..512 by
// 405..512).
constexpr int kCentre = 256;
constexpr int kCornerX = 472;
constexpr int kCornerY = 460;

TEST_F(SceneEffects, LogoFailsWithoutItsPicture)
{
    LogoEffect logo;
    Prepare(logo);
    EXPECT_EQ(logo.Init(), 1);
    registry.CreateSolid("lumora", 255, 255, 255);
    EXPECT_EQ(logo.Init(), 0);
}

TEST_F(SceneEffects, WhiteOpaqueLogoComesOutVioletInTheMainPassOnly)
{
    registry.CreateSolid("lumora", 255, 255, 255);
    LogoEffect logo;
    AddSlot(begin, RunningBlock());
    AddSlot(logo, RunningBlock());
    ASSERT_EQ(logo.Init(), 0);

    RunPass(slots, 0, 16);
    EXPECT_TRUE(NearColour(Pixel(8, 8), 0, kClearG, kClearB));

    RunPass(slots, 1, 16);
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 128, 0, 255));
    EXPECT_TRUE(NearColour(Pixel(1, 1), 128, 0, 255));
    EXPECT_TRUE(NearColour(Pixel(510, 510), 128, 0, 255));
    EXPECT_TRUE(NearColour(Pixel(600, 300), 0, kClearG, kClearB));
}

TEST_F(SceneEffects, LogoAlphaLetsTheClearShowThrough)
{
    RegisterPng("lumora", [](double u, double) {
        return Rgba{255, 255, 255, uint8_t(u < 0.5 ? 255 : 0)};
    });
    LogoEffect logo;
    AddSlot(begin, RunningBlock());
    AddSlot(logo, RunningBlock());
    ASSERT_EQ(logo.Init(), 0);
    RunFrame(slots, 16);

    EXPECT_TRUE(NearColour(Pixel(100, kCentre), 128, 0, 255));
    EXPECT_TRUE(NearColour(Pixel(400, kCentre), 0, kClearG, kClearB));
}

TEST_F(SceneEffects, LogoWritesNoDepthSoLaterDrawingIsNeverHiddenByIt)
{
    registry.CreateSolid("lumora", 255, 255, 255);
    Texture* red = registry.CreateSolid("red", 255, 0, 0);
    LogoEffect logo;
    AddSlot(begin, RunningBlock());
    AddSlot(logo, RunningBlock());
    ASSERT_EQ(logo.Init(), 0);
    RunFrame(slots, 16);

    // Behind the logo's own depth (0.5) but in front of the cleared depth.
    helper->DisableBlend();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    helper->BeginOrtho();
    glTranslatef(0.0f, 0.0f, -0.5f);
    helper->DrawFullScreen(red);
    helper->EndOrtho();
    glPopMatrix();
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 255, 0, 0));
}

TEST_F(SceneEffects, PictureEffectFailsAtAnyMissingName)
{
    const char* names[] = {"noise", "logo", "pic1", "pic2", "pic3", "pic4", "pic5", "pic6"};
    for (const char* missing : names) {
        ImageRegistry partial;
        for (const char* name : names)
            if (std::string(name) != missing)
                partial.CreateSolid(name, 1, 2, 3);
        PictureEffect picture;
        picture.SetImageRegistry(&partial);
        EXPECT_EQ(picture.Init(), 1) << "without " << missing;
    }
    RegisterPictureEffectTextures();
    PictureEffect picture;
    Prepare(picture);
    EXPECT_EQ(picture.Init(), 0);
}

TEST_F(SceneEffects, EachIndexShowsItsPictureWithTheCornerLogoHiddenWhileNoiseIsOff)
{
    RegisterPictureEffectTextures();
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    for (int index = 0; index < 6; ++index) {
        slots[1].block.lng[0] = index;
        RunFrame(slots, 16);
        const Colour c = kPictureColours[index];
        EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), c.r, c.g, c.b)) << "index " << index;
        EXPECT_TRUE(NearColour(Pixel(kCornerX, kCornerY), c.r, c.g, c.b)) << "index " << index;
        EXPECT_TRUE(NearColour(Pixel(600, 300), 0, kClearG, kClearB));
    }
}

TEST_F(SceneEffects, IndicesOutsideTheSixPicturesDrawNone)
{
    RegisterPictureEffectTextures();
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    for (int index : {-1, -1000, 6, 1000}) {
        slots[1].block.lng[0] = index;
        RunFrame(slots, 16);
        EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 0, kClearG, kClearB)) << "index " << index;
    }
}

TEST_F(SceneEffects, PatternStepFlashesTheNoiseAndTheCornerLogo)
{
    RegisterPictureEffectTextures();
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    slots[1].block.flags[kPatternStepFlag] = '*';
    RunFrame(slots, 0);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 1.0f);
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kCornerX, kCornerY), 255, 0, 0));
}

TEST_F(SceneEffects, HalfFadedNoiseTintsThePictureAndTheCornerLogoAlike)
{
    RegisterPictureEffectTextures();
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    // The step reaches the first pass only: 1 - 0.25, then - 0.25 again.
    slots[1].block.flags[kPatternStepFlag] = '*';
    RunFrame(slots, 250);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 0.5f);
    // White at half opacity over the green "pic1".
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 128, 255, 128, 3));
    // The red corner logo at the noise's opacity over that.
    EXPECT_TRUE(NearColour(Pixel(kCornerX, kCornerY), 191, 128, 64, 3));

    RunFrame(slots, 250);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 0.0f);
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 0, 255, 0));
    EXPECT_TRUE(NearColour(Pixel(kCornerX, kCornerY), 0, 255, 0));
}

TEST_F(SceneEffects, NoiseIsShiftedAndZoomedOutByTheThreeRandomDraws)
{
    // Red marks the right half of the noise picture, green its top half.
    RegisterPng("noise", [](double u, double v) {
        return Rgba{uint8_t(u >= 0.5 ? 255 : 0), uint8_t(v >= 0.5 ? 255 : 0), 0, 255};
    });
    registry.CreateSolid("logo", 0, 0, 255);
    for (int i = 1; i <= 6; ++i)
        registry.CreateSolid("pic" + std::to_string(i), 0, 0, 0);
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    CrtSeed(1);
    slots[1].block.flags[kPatternStepFlag] = '*';
    RunFrame(slots, 0);

    // Draws 41, 18467, 6334: du -0.41, dv -0.67, inset -0.34, so the noise
    // spans s from -0.75 to 0.93 and t from -1.01 to 0.67 over 512 pixels.
    // s crosses a half at x 76, 229 and 381; t at y 155, 308 and 460.
    EXPECT_EQ(Pixel(40, 100).r, 0);
    EXPECT_EQ(Pixel(150, 100).r, 255);
    EXPECT_EQ(Pixel(300, 100).r, 0);
    EXPECT_EQ(Pixel(450, 100).r, 255);
    EXPECT_EQ(Pixel(40, 100).g, 0);
    EXPECT_EQ(Pixel(40, 230).g, 255);
    EXPECT_EQ(Pixel(40, 380).g, 0);
    EXPECT_EQ(Pixel(40, 490).g, 255);
}

TEST_F(SceneEffects, RandomSequenceAdvancesByThreeInEveryMainPass)
{
    RegisterPictureEffectTextures();
    PictureEffect picture;
    AddSlot(begin, RunningBlock());
    AddSlot(picture, RunningBlock());
    ASSERT_EQ(picture.Init(), 0);

    // Noise off: the draws happen whether or not the noise shows.
    CrtSeed(1);
    RunPass(slots, 0, 16);
    EXPECT_EQ(CrtRand(), 41);

    CrtSeed(1);
    RunFrame(slots, 16);
    EXPECT_EQ(CrtRand(), 26500);

    CrtSeed(1);
    RunFrame(slots, 16);
    RunFrame(slots, 16);
    EXPECT_EQ(CrtRand(), 11478);
}

TEST(PictureEffectNoise, StepsRestartTheFlashWhichFallsToZeroAndStays)
{
    PictureEffect picture;
    EffectParams block{};
    picture.SetParams(block);
    picture.Update(100);
    EXPECT_EQ(picture.NoiseOpacity(), 0.0f);

    block.flags[kPatternStepFlag] = '*';
    picture.SetParams(block);
    picture.Update(300);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 0.7f);
    picture.Update(100);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 0.9f);

    block.flags[kPatternStepFlag] = 0;
    picture.SetParams(block);
    picture.Update(400);
    EXPECT_FLOAT_EQ(picture.NoiseOpacity(), 0.5f);
    picture.Update(4000000000u);
    EXPECT_EQ(picture.NoiseOpacity(), 0.0f);
    picture.Update(10);
    EXPECT_EQ(picture.NoiseOpacity(), 0.0f);
}

// Draws an untextured white quad at z = -10 in every pass, the way a 3D
// effect after the perspective would.
class QuadEffect : public Effect {
public:
    QuadEffect(float halfWidth, float halfHeight) : x(halfWidth), y(halfHeight) {}
    virtual ~QuadEffect() = default;

    int32_t Init() override { return 0; }
    int32_t Uninit() override { return 0; }
    int32_t Update(uint32_t) override { return 0; }
    void Render() override
    {
        renderHelper->DisableBlend();
        glDisable(GL_TEXTURE_2D);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glVertex3f(-x, -y, -10.0f);
        glVertex3f(-x, y, -10.0f);
        glVertex3f(x, y, -10.0f);
        glVertex3f(x, -y, -10.0f);
        glEnd();
        glEnable(GL_TEXTURE_2D);
    }

private:
    float x;
    float y;
};

class PerspectiveScene : public SceneEffects {
protected:
    // At distance 10 half the view spans 10 tan(22.5 deg) vertically, and
    // 4/3 of that sideways.
    QuadEffect centralHalf{2.7614237f, 2.0710678f};
    PerspectiveEffect perspective;
};

TEST_F(PerspectiveScene, ProjectsWithTheFourByThreeAspectInBothPasses)
{
    AddSlot(begin, RunningBlock());
    AddSlot(perspective, RunningBlock());
    AddSlot(centralHalf, RunningBlock());
    ASSERT_EQ(perspective.Init(), 0);

    RunPass(slots, 0, 16);
    EXPECT_TRUE(NearColour(Pixel(4, 8), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(11, 11), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(3, 8), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(8, 12), 0, kClearG, kClearB));

    RunPass(slots, 1, 16);
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(132, kCentre), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(380, kCentre), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kCentre, 380), 255, 255, 255));
    // A square aspect would reach x 85 to 427.
    EXPECT_TRUE(NearColour(Pixel(124, kCentre), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(388, kCentre), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(kCentre, 124), 0, kClearG, kClearB));
    EXPECT_TRUE(NearColour(Pixel(kCentre, 388), 0, kClearG, kClearB));
}

TEST_F(PerspectiveScene, WithoutItTheDistantQuadFallsOutsideTheView)
{
    AddSlot(begin, RunningBlock());
    EffectParams off = RunningBlock();
    off.flags[kRunningFlag] = 0;
    AddSlot(perspective, off);
    AddSlot(centralHalf, RunningBlock());
    RunFrame(slots, 16);
    EXPECT_TRUE(NearColour(Pixel(kCentre, kCentre), 0, kClearG, kClearB));
}

} // namespace
