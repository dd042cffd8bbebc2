// The bundled show rendered off screen at fixed times, compared with the
// reference pictures in tests/golden. When an effect or the show's data is
// changed on purpose, look at the new frames and regenerate the references:
//   build/tools/demotool/demotool render --golden tests/golden
#include "offline/GoldenFrames.h"
#include "resources/PngDecoder.h"
#include "resources/PngEncoder.h"

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

struct Difference {
    int64_t outliers = 0;
    int worst = 0;
    int32_t worstX = 0;
    int32_t worstY = 0;
};

Difference Compare(const RgbFrame& frame, const PngImage& reference)
{
    Difference result;
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* want = reference.Row(uint32_t(y));
        const uint8_t* got = frame.pixels.data() + size_t(y) * size_t(frame.width) * 3;
        for (int32_t x = 0; x < frame.width * 3; x += 3) {
            int pixelWorst = 0;
            for (int c = 0; c < 3; ++c)
                pixelWorst = std::max(pixelWorst, std::abs(int(got[x + c]) - int(want[x + c])));
            if (pixelWorst > kChannelTolerance)
                ++result.outliers;
            if (pixelWorst > result.worst) {
                result.worst = pixelWorst;
                result.worstX = x / 3;
                result.worstY = y;
            }
        }
    }
    return result;
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
    const Difference difference = Compare(frame, reference);
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

} // namespace
