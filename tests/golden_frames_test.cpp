// The bundled show rendered off screen at fixed times, compared with the
// reference pictures in tests/golden. When an effect or the show's data is
// changed on purpose, look at the new frames and regenerate the references:
//   build/tools/demotool/demotool render --golden tests/golden
#include "offline/FrameReadback.h"
#include "offline/GoldenFrames.h"
#include "resources/PngDecoder.h"
#include "resources/PngEncoder.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Test names and messages show a golden frame by its name.
void PrintTo(const GoldenFrame& golden, std::ostream* out)
{
    *out << golden.name;
}

namespace {

// llvmpipe rounds the same way from run to run; the margin is for another
// Mesa build's filtering and edge rules, not for a changed effect.
constexpr int kChannelTolerance = 8;
constexpr double kMaxOutlierShare = 0.002;

class ShowDirectory : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chdir(DEMO_SOURCE_DIR), 0); }
};

bool ReadReference(const std::string& name, PngImage& image, std::string& error)
{
    const std::string path = std::string(DEMO_SOURCE_DIR) + "/tests/golden/" + name + ".png";
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.empty()) {
        error = "no reference " + path;
        return false;
    }
    PngDecodeOptions options;
    options.keepAlpha = false;
    return DecodePng(bytes.data(), bytes.size(), options, image, error);
}

::testing::AssertionResult MatchesReference(const RgbFrame& frame, const std::string& name)
{
    PngImage reference;
    std::string error;
    if (!ReadReference(name, reference, error))
        return ::testing::AssertionFailure() << error;
    if (int32_t(reference.width) != frame.width || int32_t(reference.height) != frame.height ||
        reference.channels != 3)
        return ::testing::AssertionFailure() << name << ": reference is " << reference.width << "x"
                                             << reference.height << ", frame " << frame.width << "x" << frame.height;
    const FrameDifference difference = CompareFrames(frame, reference, kChannelTolerance);
    const double share = double(difference.outliers) / (double(frame.width) * frame.height);
    if (share <= kMaxOutlierShare)
        return ::testing::AssertionSuccess();
    const std::string saved =
        (std::filesystem::temp_directory_path() / ("golden-actual-" + name + ".png")).string();
    WritePngRgb(saved, frame, error);
    return ::testing::AssertionFailure()
           << name << ": " << difference.outliers << " pixels differ by more than " << kChannelTolerance
           << " (worst " << difference.worst << " at " << difference.worstX << "," << difference.worstY
           << " from the top left); the frame drawn now is in " << saved;
}

class GoldenFrameTest : public ShowDirectory, public ::testing::WithParamInterface<GoldenFrame> {};

TEST_P(GoldenFrameTest, MatchesItsReference)
{
    RgbFrame frame;
    std::string error;
    ASSERT_TRUE(RenderGoldenFrame(GetParam(), frame, error)) << error;
    EXPECT_TRUE(MatchesReference(frame, GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Show, GoldenFrameTest, ::testing::ValuesIn(GoldenFrames().begin(), GoldenFrames().end()),
                         [](const ::testing::TestParamInfo<GoldenFrame>& test) {
                             std::string name = test.param.name;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });

using GoldenRender = ShowDirectory;

// A comparison that passed everything would hide every change.
TEST_F(GoldenRender, AnotherMomentOfTheShowDoesNotMatch)
{
    const GoldenFrame& heart = GoldenFrames()[1];
    const GoldenFrame& words = GoldenFrames()[3];
    RgbFrame frame;
    std::string error;
    ASSERT_TRUE(RenderGoldenFrame(heart, frame, error)) << error;
    EXPECT_FALSE(MatchesReference(frame, words.name));
}

TEST_F(GoldenRender, TwoRendersGiveTheSamePngBytes)
{
    // The drop: static, wobble and heart all draw on the shared random
    // sequence, so any unseeded or time-dependent value would show here.
    const GoldenFrame& drop = GoldenFrames()[6];
    RgbFrame first;
    RgbFrame second;
    std::string error;
    ASSERT_TRUE(RenderGoldenFrame(drop, first, error)) << error;
    ASSERT_TRUE(RenderGoldenFrame(drop, second, error)) << error;
    std::vector<uint8_t> firstPng;
    std::vector<uint8_t> secondPng;
    ASSERT_TRUE(EncodePngRgb(first, firstPng, error)) << error;
    ASSERT_TRUE(EncodePngRgb(second, secondPng, error)) << error;
    EXPECT_EQ(firstPng, secondPng);
}

TEST_F(GoldenRender, FramesOfTheRangeDifferFromEachOther)
{
    // The show moves: a frame a beat later is not the same picture.
    GoldenFrame later = GoldenFrames()[6];
    later.atMs += 480;
    RgbFrame frame;
    std::string error;
    ASSERT_TRUE(RenderGoldenFrame(later, frame, error)) << error;
    EXPECT_FALSE(MatchesReference(frame, GoldenFrames()[6].name));
}

// A slanted white triangle on black, drawn on the offline show's own
// context and read back as its frames are.
constexpr int32_t kSide = 64;

std::vector<uint8_t> DrawTriangle(int32_t samples)
{
    OfflineSettings settings = GoldenSettings();
    settings.samples = samples;
    OfflineShow show(settings, nullptr);
    std::string error;
    if (!show.Open(error)) {
        ADD_FAILURE() << error;
        return {};
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum state : {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_LIGHTING, GL_FOG, GL_CULL_FACE, GL_ALPHA_TEST,
                         GL_STENCIL_TEST})
        glDisable(state);
    // A scissor left on must not cut the frame that is read.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, kSide, kSide);
    glViewport(0, 0, kSide, kSide);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_TRIANGLES);
    glVertex2f(-0.9f, -0.8f);
    glVertex2f(0.8f, -0.6f);
    glVertex2f(-0.3f, 0.9f);
    glEnd();
    glScissor(0, 0, 1, 1);
    FrameReadback readback;
    readback.Init();
    readback.Start(kSide, kSide);
    RawFrame frame;
    EXPECT_TRUE(readback.TakeOldest(frame));
    glPopAttrib();
    std::vector<uint8_t> red(size_t(kSide) * kSide);
    for (size_t i = 0; i < red.size() && i * 4 < frame.rgba.size(); ++i)
        red[i] = frame.rgba[i * 4];
    return red;
}

// Whether a pixel of the unsmoothed picture has a neighbour of the other
// colour: the triangle's edge runs through it or beside it.
bool OnAnEdge(const std::vector<uint8_t>& hard, int32_t x, int32_t y)
{
    for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t nx = std::clamp(x + dx, 0, kSide - 1), ny = std::clamp(y + dy, 0, kSide - 1);
            if (hard[size_t(ny) * kSide + size_t(nx)] != hard[size_t(y) * kSide + size_t(x)])
                return true;
        }
    return false;
}

using OfflineMultisample = ShowDirectory;

TEST_F(OfflineMultisample, TheDefaultSmoothsEdgesOnlyAndRepeatsExactly)
{
    const std::vector<uint8_t> hard = DrawTriangle(0);
    const std::vector<uint8_t> smooth = DrawTriangle(OfflineSettings{}.samples);
    ASSERT_EQ(hard.size(), size_t(kSide) * kSide);
    ASSERT_EQ(smooth.size(), hard.size());
    int64_t lit = 0, differing = 0, offEdge = 0, partial = 0;
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            const size_t i = size_t(y) * kSide + size_t(x);
            EXPECT_TRUE(hard[i] == 0 || hard[i] == 255) << "a partly covered pixel without samples";
            lit += hard[i] == 255;
            partial += smooth[i] != 0 && smooth[i] != 255;
            if (smooth[i] != hard[i]) {
                ++differing;
                offEdge += !OnAnEdge(hard, x, y);
            }
        }
    EXPECT_GT(lit, kSide * kSide / 4);
    EXPECT_GT(partial, kSide);
    EXPECT_GT(differing, kSide);
    EXPECT_LT(differing * 5, lit);
    EXPECT_EQ(offEdge, 0);
    EXPECT_EQ(DrawTriangle(OfflineSettings{}.samples), smooth);
}

} // namespace
