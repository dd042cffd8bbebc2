// demotool timeline: the picture puts what the script does where its time
// axis says, and a script with faults gets no picture.
#include "tests/support/ShellRun.h"
#include "tools/demotool/script/ScriptSession.h"
#include "tools/demotool/timeline/TimelineLanes.h"
#include "tools/demotool/timeline/TimelinePainter.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 300;

// Times kept well away from the beat lines (every 480 ms) so that no grid
// line falls on a pixel the tests look at.
const char* const kScript = "=1200 Set scene.3.RUN\n"
                            "=3100 Set scene.3.STOP\n"
                            "=4100 Fade scene.3.dbl.1 from 0 to 1 time =2000\n"
                            "DefinePattern 0 x...\n"
                            "DefinePattern 1 *...\n"
                            "=0 UsePattern 0\n"
                            "=5100 UsePattern 1\n"
                            "End =8000\n"
                            // The pictures the show needs to start, and a fade
                            // between infinities: clamped to the lane, not fatal.
                            "LoadImage envmap e.png\nLoadImage noise n.png\nLoadImage logo l.png\n"
                            "LoadImage lumora u.png\nLoadImage pic1 1.png\nLoadImage pic2 2.png\n"
                            "LoadImage pic3 3.png\nLoadImage pic4 4.png\nLoadImage pic5 5.png\n"
                            "LoadImage pic6 6.png\n"
                            "=1200 Fade scene.1.dbl.1 from -1e400 to 1e400 time =2000\n";

class TimelineView : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("timeline_view_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        if (picture)
            cairo_surface_destroy(picture);
        std::filesystem::remove_all(dir);
    }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::filesystem::path path = dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    ToolRun Draw(const std::string& script, const std::string& png)
    {
        return RunShell(std::string(DEMOTOOL_PATH) + " timeline " + script + " --png " + png + " --size " +
                        std::to_string(kWidth) + "x" + std::to_string(kHeight) + " 2>&1");
    }

    uint32_t Pixel(double x, double y) const
    {
        const int stride = cairo_image_surface_get_stride(picture);
        const unsigned char* row = cairo_image_surface_get_data(picture) + int(y) * stride;
        return reinterpret_cast<const uint32_t*>(row)[int(std::floor(x))] & 0xFFFFFFu;
    }

    std::filesystem::path dir;
    cairo_surface_t* picture = nullptr;
};

TEST_F(TimelineView, SpanRampAndSwitchLandOnTheColumnsOfTheTimeAxis)
{
    const std::string script = Write("small.txt", kScript);
    const std::string png = (dir / "small.png").string();
    const ToolRun run = Draw(script, png);
    ASSERT_EQ(run.status, 0) << run.out;
    picture = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(picture), kWidth);
    ASSERT_EQ(cairo_image_surface_get_height(picture), kHeight);

    ScriptSession session;
    ASSERT_TRUE(session.Load(script.c_str()));
    const TimelineLanes lanes = BuildTimelineLanes(session.GetTimeline());
    ASSERT_EQ(lanes.effects.size(), 2u);
    const EffectLane& heart = lanes.effects[1];
    EXPECT_EQ(heart.name, "heart");
    ASSERT_EQ(heart.running.size(), 1u);
    EXPECT_EQ(heart.running[0].start, 1200u);
    EXPECT_EQ(heart.running[0].end, 3100u);
    ASSERT_EQ(lanes.patterns.size(), 2u);
    EXPECT_EQ(lanes.patterns[0].span.end, 5100u);
    EXPECT_EQ(lanes.patterns[1].pattern, 1);
    EXPECT_EQ(lanes.length, 8000u);

    const TimelineLayout layout = LayOutTimeline(lanes, kWidth, kHeight, 0, 8000, false, TimelineStyle::Picture);
    const TimeAxis& axis = layout.axis;
    const LaneRow& row = layout.effects[1];
    EXPECT_DOUBLE_EQ(axis.XOf(0), axis.left);
    EXPECT_DOUBLE_EQ(axis.XOf(4000), (axis.left + axis.right) / 2.0);
    EXPECT_EQ(axis.TimeAt(axis.XOf(3100)), 3100u);
    const double empty = axis.XOf(7000);

    // The running bar along the lane's foot starts and stops at its times.
    const double bar = row.bottom - 3.0;
    EXPECT_EQ(Pixel(axis.XOf(1200) - 2, bar), Pixel(empty, bar));
    EXPECT_NE(Pixel(axis.XOf(1200) + 2, bar), Pixel(empty, bar));
    EXPECT_NE(Pixel(axis.XOf(3100) - 2, bar), Pixel(empty, bar));
    EXPECT_EQ(Pixel(axis.XOf(3100) + 2, bar), Pixel(empty, bar));

    // The ramp rises from 0 to 1 over the fade: filled below its edge, empty above.
    const double floor = row.bottom - 5.0, height = (row.bottom - row.top) * 0.62;
    for (const double share : {0.5, 0.9}) {
        const double x = axis.XOf(uint32_t(4100 + 2000 * share));
        const double edge = floor - share * height;
        EXPECT_NE(Pixel(x, edge + 4), Pixel(empty, edge + 4)) << share;
        EXPECT_EQ(Pixel(x, edge - 4), Pixel(empty, edge - 4)) << share;
    }
    EXPECT_EQ(Pixel(axis.XOf(4100) - 2, floor - 2), Pixel(empty, floor - 2));
    // From -inf, at the floor, to the NaN the player reaches, half way up.
    const double third = layout.effects[0].bottom - 5.0 - height * 0.3;
    EXPECT_EQ(Pixel(axis.XOf(1300), third), Pixel(empty, third));
    EXPECT_NE(Pixel(axis.XOf(3100), third), Pixel(empty, third));
    EXPECT_EQ(Pixel(axis.XOf(3100), third - height * 0.4), Pixel(empty, third - height * 0.4));

    // The switch line, and the first step of the new pattern after it.
    const LaneRow& pattern = layout.pattern;
    const double lineY = pattern.top + 3.0;
    EXPECT_NE(Pixel(axis.XOf(5100), lineY), Pixel(axis.XOf(5100) - 3, lineY));
    uint32_t firstStar = 0;
    int stars = 0;
    for (const DeliveredStep& step : lanes.steps)
        if (step.step == '*' && stars++ == 0)
            firstStar = step.time;
    // The new pattern's step 0 falls in the switch frame and is not played:
    // its first "*" is one beat later, then one a beat up to the End.
    EXPECT_NEAR(double(firstStar), 5100.0 + 480.0, 8.0);
    EXPECT_EQ(stars, 6);
    const double starY = pattern.top + (pattern.bottom - pattern.top) * 0.45;
    EXPECT_NE(Pixel(axis.XOf(firstStar), starY), Pixel(axis.XOf(firstStar) - 8, starY));
}

TEST_F(TimelineView, AScriptWithFaultsOrAnUnwritablePictureGetsAReasonAndNoPicture)
{
    const std::string script = Write("bad.txt", "=0 Set scene.3.RUN\n  Set scene.1.RUN\n=0 Fade scene.1.dbl.0\n");
    const std::string png = (dir / "bad.png").string();
    const ToolRun run = Draw(script, png);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(script + ":2: Syntax error\n  Set scene.1.bool.0 true\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(script + ":3: Missing from attribute\n"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(png));
    // A picture that cannot be written is named with the reason.
    const std::string good = Write("good.txt", kScript);
    for (const std::string& path : {std::string("/dev/full"), (dir / "none" / "t.png").string()}) {
        const ToolRun unwritten = Draw(good, path);
        EXPECT_EQ(unwritten.status, 1);
        EXPECT_NE(unwritten.out.find("cannot write " + path + ": No "), std::string::npos) << unwritten.out;
    }
    // Nor does a script the player would not start.
    const ToolRun empty = Draw(Write("empty.txt", ""), png);
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("loads no picture named envmap"), std::string::npos) << empty.out;
    EXPECT_FALSE(std::filesystem::exists(png));
}

} // namespace
