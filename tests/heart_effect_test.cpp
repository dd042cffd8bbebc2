#include "effects/HeartEffect.h"

#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "tests/support/HeadlessGL.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PngWriter.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

namespace {

// File position of a point held at (x, y, z): held = (a, c, -b).
std::array<float, 3> FileOf(float x, float y, float z)
{
    return {x, -z, y};
}

FileObject SquareAt(const std::string& name, float x, float y, float z, float size)
{
    const auto file = FileOf(x, y, z);
    return MakeSquare(name, file[0], file[1], file[2], size, "m");
}

// An environment map whose colour tells where it was sampled: red in its
// middle, blue around it. With the projection multiplied onto the modelview
// matrix, as the effects do, the sphere-map coordinates of these test
// squares lie near (0.5, 0.5); the mesh's own planar coordinates, or none,
// would sample the blue.
bool WriteCentredEnvironmentMap(const std::string& path)
{
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool middle = x >= 20 && x < 44 && y >= 20 && y < 44;
            rgba.insert(rgba.end(), {uint8_t(middle ? 255 : 0), 0, uint8_t(middle ? 0 : 255), 255});
        }
    return WriteRgbaPng(path, 64, 64, rgba);
}

class HeartEffectTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        helper = std::make_unique<RenderHelper>();
        registry = std::make_unique<ImageRegistry>();
    }

    void TearDown() override
    {
        heart.reset();
        registry.reset();
        helper.reset();
        GLTest::TearDown();
    }

    // Writes the objects to a mesh file and makes an initialised effect of it.
    void Start(const std::vector<FileObject>& objects, bool withEnvmap = true)
    {
        meshPath = testing::TempDir() + "heart_effect_" +
                   testing::UnitTest::GetInstance()->current_test_info()->name() + ".3ds";
        ASSERT_TRUE(WriteFileBytes(meshPath, MakeMeshFile({{"m"}}, objects)));
        const std::string envmapPath = ScratchPath("centred_envmap.png");
        ASSERT_TRUE(WriteCentredEnvironmentMap(envmapPath));
        if (withEnvmap) {
            ASSERT_TRUE(registry->LoadImage("envmap", envmapPath, GL_REPEAT));
        }
        heart = std::make_unique<HeartEffect>(meshPath.c_str());
        heart->SetImageRegistry(registry.get());
        heart->SetRenderHelper(helper.get());
        initResult = heart->Init();
    }

    void Step(uint8_t patternStep, uint32_t dt)
    {
        EffectParams params{};
        params.flags[kRunningFlag] = 1;
        params.flags[kPatternStepFlag] = patternStep;
        heart->SetParams(params);
        heart->Update(dt);
    }

    // Clears and renders one pass as the driver does: identity, projection,
    // then the effect.
    void RenderPass(int32_t pass)
    {
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 0.1, 100.0);
        // The logo, drawn before the heart, leaves texturing on with its
        // picture bound; the glow source pass must draw without it.
        if (pass == 0)
            registry->Find("envmap")->Bind();
        heart->SetPass(pass);
        heart->Render();
    }

    // Pixels in the left and right halves whose red, green and blue all
    // exceed `level` (or, with `anyChannel`, any one of them).
    std::pair<int, int> LitHalves(int level = 128, bool anyChannel = false)
    {
        const std::vector<uint8_t> pixels = gl->ReadRgba(0, 0, 64, 64);
        std::pair<int, int> lit{0, 0};
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint8_t* rgb = &pixels[size_t(y * 64 + x) * 4];
                const int above = (rgb[0] > level) + (rgb[1] > level) + (rgb[2] > level);
                if (anyChannel ? above > 0 : above == 3)
                    (x < 32 ? lit.first : lit.second)++;
            }
        return lit;
    }

    // Pixels that are not a shade of grey: a picture showed through.
    int TintedPixels()
    {
        const std::vector<uint8_t> pixels = gl->ReadRgba(0, 0, 64, 64);
        int tinted = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const auto [low, high] = std::minmax({pixels[i], pixels[i + 1], pixels[i + 2]});
            tinted += high - low > 8 ? 1 : 0;
        }
        return tinted;
    }

    std::unique_ptr<RenderHelper> helper;
    std::unique_ptr<ImageRegistry> registry;
    std::unique_ptr<HeartEffect> heart;
    std::string meshPath;
    int32_t initResult = -1;
};

// The camera starts at (10, 0, -10) looking at the origin; screen right is
// the direction (-1, 0, -1). Object 0 stands right of the origin, object 1
// left of it.
std::vector<FileObject> LeftAndRight()
{
    return {SquareAt("right", -1.5f, 0, -1.5f, 2.5f), SquareAt("left", 1.5f, 0, 1.5f, 2.5f)};
}

TEST_F(HeartEffectTest, InitNeedsTheEnvironmentMap)
{
    Start(LeftAndRight(), false);
    EXPECT_EQ(initResult, 1);

    Start(LeftAndRight(), true);
    EXPECT_EQ(initResult, 0);
    EXPECT_EQ(heart->HiddenCount(), 2);
    EXPECT_FALSE(heart->Mesh().overridePolygonMode);
    for (const MeshObject& object : heart->Mesh().objects)
        EXPECT_FALSE(object.visible);
}

TEST_F(HeartEffectTest, StarStepsRevealFromTheLastObjectDown)
{
    Start(LeftAndRight());
    ASSERT_EQ(initResult, 0);
    RenderPass(0);
    EXPECT_EQ(LitHalves(), std::make_pair(0, 0));

    // Other characters, and the 1 a script trigger writes, reveal nothing.
    for (uint8_t step : {uint8_t('x'), uint8_t('+'), uint8_t(1), uint8_t(0)})
        Step(step, 0);
    EXPECT_EQ(heart->HiddenCount(), 2);
    RenderPass(0);
    EXPECT_EQ(LitHalves(), std::make_pair(0, 0));

    Step('*', 0);
    EXPECT_EQ(heart->HiddenCount(), 1);
    RenderPass(0);
    auto lit = LitHalves();
    EXPECT_GT(lit.first, 20) << "the last object, on the left, flashes white";
    EXPECT_EQ(lit.second, 0);
    EXPECT_EQ(TintedPixels(), 0) << "untextured";

    Step('*', 0);
    RenderPass(0);
    lit = LitHalves();
    EXPECT_GT(lit.first, 20);
    EXPECT_GT(lit.second, 20);
    EXPECT_EQ(TintedPixels(), 0);

    // Everything is revealed: a further star changes nothing.
    Step('*', 0);
    EXPECT_EQ(heart->HiddenCount(), 0);
}

TEST_F(HeartEffectTest, MainPassFadesInSphereMapped)
{
    Start(LeftAndRight());
    ASSERT_EQ(initResult, 0);
    Step('*', 0);
    RenderPass(1);
    // A fade of 0 draws black.
    EXPECT_EQ(LitHalves(8, true), std::make_pair(0, 0));

    // 500 ms: the fade reaches 0.25 and the look-at point reaches the object,
    // while the camera is still at its path start.
    Step(0, 500);
    EXPECT_FLOAT_EQ(heart->Fade(1), 0.25f);
    RenderPass(1);
    const std::vector<uint8_t> pixels = gl->ReadRgba(0, 0, 64, 64);
    int red = 0;
    int other = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const int r = pixels[i], g = pixels[i + 1], b = pixels[i + 2];
        if (std::abs(r - 64) <= 2 && g <= 2 && b <= 2)
            ++red;
        else if (r > 2 && !(std::abs(r - 64) <= 2 && std::abs(g - 64) <= 2 && std::abs(b - 64) <= 2))
            ++other;
    }
    // The red environment map times 0.25, with grey 0.25 wire lines over it.
    EXPECT_GT(red, 50);
    EXPECT_EQ(other, 0);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
}

TEST_F(HeartEffectTest, RampsSettleAtTheirBounds)
{
    Start(LeftAndRight());
    Step('*', 0);
    EXPECT_FLOAT_EQ(heart->Flash(1), 2.0f);
    EXPECT_FLOAT_EQ(heart->Fade(1), 0.0f);
    Step(0, 300);
    EXPECT_FLOAT_EQ(heart->Flash(1), 1.7f);
    EXPECT_FLOAT_EQ(heart->Fade(1), 0.15f);
    Step(0, 1900);
    // Overshoots first, then settles on the next update, even with dt = 0.
    EXPECT_LT(heart->Flash(1), 0.25f);
    EXPECT_GT(heart->Fade(1), 1.0f);
    Step(0, 0);
    EXPECT_FLOAT_EQ(heart->Flash(1), 0.25f);
    EXPECT_FLOAT_EQ(heart->Fade(1), 1.0f);
}

TEST_F(HeartEffectTest, DistanceGrowsWithRevealsAndIsCapped)
{
    // Revealed in the order 2, 1, 0: centres 4, 10 and 2 units away.
    Start({SquareAt("near", 0, 2, 0, 1), SquareAt("far", 0, 10, 0, 1), SquareAt("mid", 0, 4, 0, 1)});
    ASSERT_EQ(initResult, 0);
    EXPECT_FLOAT_EQ(heart->Distance(), 1.0f);
    Step('*', 0);
    EXPECT_FLOAT_EQ(heart->Distance(), 6.0f);
    EXPECT_NEAR(heart->Destination().y, 6.0, 1e-5);
    EXPECT_NEAR(heart->Focus().y, 4.0, 1e-6);
    Step('*', 0);
    EXPECT_FLOAT_EQ(heart->Distance(), 12.0f);
    Step('*', 0);
    EXPECT_FLOAT_EQ(heart->Distance(), 12.0f);
    EXPECT_NEAR(heart->Destination().y, 12.0, 1e-5);
}

TEST_F(HeartEffectTest, CameraRunsItsPathFromStartToEnd)
{
    Start({SquareAt("only", 0, 4, 0, 1)});
    Step('*', 0);
    // t = 0: exactly at the start.
    EXPECT_DOUBLE_EQ(heart->Eye().x, 10.0);
    EXPECT_DOUBLE_EQ(heart->Eye().z, -10.0);
    Step(0, 500);
    Step(0, 500);
    // t = 0.5: the mean of start (10, 0, -10) and end (0, 6, 0), pushed out by
    // half the bend, which lies midway in direction at half the distance:
    // (1, sqrt 2, -1) / 2 x 3.
    const double bendY = 3.0 * std::sqrt(0.5);
    EXPECT_NEAR(heart->Eye().x, 5.0 + 0.75, 1e-5);
    EXPECT_NEAR(heart->Eye().y, 3.0 + bendY / 2, 1e-5);
    EXPECT_NEAR(heart->Eye().z, -5.0 - 0.75, 1e-5);
    EXPECT_FLOAT_EQ(heart->PathPosition(), 1.0f);
    // The look-at point reached its goal in one step (rate 0.002 x 500 = 1)
    // and stays there.
    EXPECT_NEAR(heart->Target().y, 4.0, 1e-5);
    Step(0, 0);
    // t = 1: exactly at the end.
    EXPECT_NEAR(heart->Eye().x, heart->Destination().x, 1e-9);
    EXPECT_NEAR(heart->Eye().y, 6.0, 1e-5);
    EXPECT_NEAR(heart->Eye().z, heart->Destination().z, 1e-9);
}

TEST_F(HeartEffectTest, WanderingDrawsThreeRandomValuesZYX)
{
    Start({SquareAt("only", 0, 4, 0, 1)});
    CrtSeed(1);
    // No reveal: the first path runs from (10, 0, -10) back to itself; after
    // it the draws 41, 18467, 6334 give the offset (x, y, z) = (4, 4, 3).
    Step(0, 1001);
    const double length = std::sqrt(14.0 * 14.0 + 4.0 * 4.0 + 7.0 * 7.0);
    EXPECT_NEAR(heart->Destination().x, 14.0 / length, 1e-9);
    EXPECT_NEAR(heart->Destination().y, 4.0 / length, 1e-9);
    EXPECT_NEAR(heart->Destination().z, -7.0 / length, 1e-9);
    EXPECT_FLOAT_EQ(heart->PathPosition(), 0.0f);
    EXPECT_EQ(CrtRand(), 26500) << "exactly three values were drawn";
}

TEST_F(HeartEffectTest, ObjectAtTheOriginKeepsTheCameraFinite)
{
    FileObject light;
    light.name = "light";
    light.withMesh = false;
    Start({light});
    ASSERT_EQ(initResult, 0);
    Step('*', 0);
    for (int i = 0; i < 10; ++i)
        Step(0, 400);
    EXPECT_TRUE(std::isfinite(heart->Eye().x) && std::isfinite(heart->Eye().y) && std::isfinite(heart->Eye().z));
    EXPECT_TRUE(std::isfinite(heart->Target().x));
    EXPECT_FLOAT_EQ(heart->Distance(), 1.0f);
}

TEST_F(HeartEffectTest, MissingMeshOnlyMovesTheCamera)
{
    registry->CreateSolid("envmap", 255, 0, 0);
    HeartEffect effect((testing::TempDir() + "no_such_heart.3ds").c_str());
    effect.SetImageRegistry(registry.get());
    effect.SetRenderHelper(helper.get());
    EXPECT_EQ(effect.Init(), 0);
    EXPECT_EQ(effect.HiddenCount(), 0);
    EffectParams params{};
    params.flags[kPatternStepFlag] = '*';
    effect.SetParams(params);
    effect.Update(500);
    params.flags[kPatternStepFlag] = 0;
    effect.SetParams(params);
    effect.Update(500);
    EXPECT_EQ(effect.HiddenCount(), 0);
    // Half way along the first path, pushed out by half its initial bend of
    // (1, 0, -1) x sqrt 2.
    EXPECT_NEAR(effect.Eye().x, 10.0 + std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(effect.Eye().y, 0.0, 1e-9);
    EXPECT_NEAR(effect.Eye().z, -10.0 - std::sqrt(0.5), 1e-6);
    EXPECT_EQ(effect.Uninit(), 0);
}

} // namespace
