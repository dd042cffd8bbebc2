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
                            // between infinities: drawn at the track's middle, not fatal.
                            "LOADS"
                            "=1200 Fade scene.1.dbl.1 from -1e400 to 1e400 time =2000\n";

const char* const kLoads = "LoadImage envmap e.png\nLoadImage noise n.png\nLoadImage logo l.png\n"
                          "LoadImage lumora u.png\nLoadImage pic1 1.png\nLoadImage pic2 2.png\n"
                          "LoadImage pic3 3.png\nLoadImage pic4 4.png\nLoadImage pic5 5.png\n"
                          "LoadImage pic6 6.png\n";

// Two parameters of the heart set at one moment, one faded to a negative
// value; the pictures' choice set by defines and once by the number one of
// them stands for, twice in quick succession; the tempo raised from 125 to 150 BPM for the lines below
// the second LoadMusic, whose first moment is #4.0 at 150 (6400 ms).
const char* const kTracksScript = "Define @speed=dbl.3\n"
                                  "Define @none=-1\n"
                                  "Define @words=3\n"
                                  "DefinePattern 0 x...\n"
                                  "=0 UsePattern 0\n"
                                  "=0 Set scene.4.RUN\n"
                                  "=0 Set scene.4.lng.0 @none\n"
                                  "=2000 Set scene.4.lng.0 @words\n"
                                  "=4000 Set scene.4.lng.0 0\n"
                                  "=4050 Set scene.4.lng.0 @none\n"
                                  "=4500 Set scene.4.lng.0 3\n"
                                  "=1000 Set scene.3.lng.1 7\n"
                                  "=1000 Set scene.3.@speed 2.5\n"
                                  "#1.0 Set scene.3.lng.1 8\n"
                                  "=3000 Fade scene.3.@speed from 2.5 to -1 time =2000\n"
                                  "LoadMusic m.ogg 150 4\n"
                                  "#4.0 Set scene.3.lng.1 9\n"
                                  "End =8000\n";

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

    ToolRun Draw(const std::string& script, const std::string& png, const std::string& more = "")
    {
        return RunShell(std::string(DEMOTOOL_PATH) + " timeline " + script + " --png " + png + " --size " +
                        std::to_string(kWidth) + "x" + std::to_string(kHeight) + more + " 2>&1");
    }

    uint32_t Pixel(double x, double y) const
    {
        const int stride = cairo_image_surface_get_stride(picture);
        const unsigned char* row = cairo_image_surface_get_data(picture) + int(y) * stride;
        return reinterpret_cast<const uint32_t*>(row)[int(std::floor(x))] & 0xFFFFFFu;
    }

    bool Load(const std::string& png)
    {
        picture = cairo_image_surface_create_from_png(png.c_str());
        return cairo_surface_status(picture) == CAIRO_STATUS_SUCCESS &&
               cairo_image_surface_get_width(picture) == kWidth && cairo_image_surface_get_height(picture) == kHeight;
    }

    // Where a track's curve lies for a value at `share` of its range: the
    // painter's curve runs from below the label line to two pixels above the
    // row's foot.
    static double CurveY(const LaneRow& track, double share)
    {
        const double top = track.top + std::min(13.0, (track.bottom - track.top) / 2.0);
        return track.bottom - 2.0 - share * (track.bottom - 2.0 - top);
    }

    // The first row of column x, from the track's curve area down, that
    // differs from column `flat` of track `empty` (of the same height),
    // where the value is at its lowest.
    int CurveTop(double x, double flat, const LaneRow& track, const LaneRow* empty = nullptr) const
    {
        const int shift = empty ? int(empty->top) - int(track.top) : 0;
        for (int y = int(track.top) + 12; y < int(track.bottom); ++y)
            if (Pixel(x, y) != Pixel(flat, y + shift))
                return y;
        return int(track.bottom);
    }

    bool AnyBright(double x0, double x1, double y0, double y1) const
    {
        for (double y = y0; y < y1; ++y)
            for (double x = x0; x < x1; ++x)
                if (((Pixel(x, y) >> 8) & 0xFF) > 0x70)
                    return true;
        return false;
    }

    std::filesystem::path dir;
    cairo_surface_t* picture = nullptr;
};

TEST_F(TimelineView, SpanRampAndSwitchLandOnTheColumnsOfTheTimeAxis)
{
    std::string text = kScript;
    text.replace(text.find("LOADS"), 5, kLoads);
    const std::string script = Write("small.txt", text);
    const std::string png = (dir / "small.png").string();
    const ToolRun run = Draw(script, png);
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(Load(png));

    ScriptSession session;
    ASSERT_TRUE(session.Load(script.c_str()));
    const TimelineLanes lanes = BuildTimelineLanes(session);
    ASSERT_EQ(lanes.effects.size(), 2u);
    ASSERT_EQ(lanes.tempos.size(), 1u);
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
    ASSERT_EQ(layout.effects[1].tracks.size(), 1u);
    const LaneRow& row = layout.effects[1].lane;
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

    // The dbl.1 track's curve rises from 0 to 1 over the fade; before it
    // nothing is filled.
    const LaneRow& track = layout.effects[1].tracks[0];
    for (const double share : {0.5, 0.9})
        EXPECT_NEAR(CurveTop(axis.XOf(uint32_t(4100 + 2000 * share)), axis.XOf(3700), track), CurveY(track, share), 2.0)
            << share;
    EXPECT_GE(CurveTop(axis.XOf(3900), axis.XOf(3700), track), track.bottom - 4.0);

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

TEST_F(TimelineView, EachParameterGetsATrackOnItsOwnScaleWithNamedValuesAndTheGridFollowsTheTempo)
{
    const std::string script = Write("tracks.txt", std::string(kLoads) + kTracksScript);
    const std::string png = (dir / "tracks.png").string();
    const ToolRun run = Draw(script, png, " --from =2500 --to =7000");
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(Load(png));

    // As data: every key and fade with its times and values, values by name
    // where the script named them, the parameter by its define.
    const ToolRun json = RunShell(std::string(DEMOTOOL_PATH) + " timeline " + script + " --json 2>/dev/null");
    ASSERT_EQ(json.status, 0);
    for (const char* part :
         {"{\"start\":0,\"msPerBeat\":480,\"msPerPosition\":1920},"
          "{\"start\":6400,\"msPerBeat\":400,\"msPerPosition\":1600}",
          "{\"parameter\":\"dbl.3\",\"name\":\"@speed\",\"read\":false,"
          "\"keys\":[{\"time\":1000,\"value\":2.5,\"text\":\"2.5\"}],"
          "\"fades\":[{\"start\":3000,\"end\":5000,\"from\":2.5,\"to\":-1,",
          "{\"parameter\":\"lng.1\",\"name\":\"\",\"read\":false,"
          "\"keys\":[{\"time\":1000,\"value\":7,\"text\":\"7\"},{\"time\":1920,\"value\":8,\"text\":\"8\"},"
          "{\"time\":6400,\"value\":9,",
          "{\"time\":0,\"value\":-1,\"text\":\"@none\"},{\"time\":2000,\"value\":3,\"text\":\"@words\"},"
          "{\"time\":4000,\"value\":0,\"text\":\"0\"},{\"time\":4050,\"value\":-1,\"text\":\"@none\"},"
          "{\"time\":4500,\"value\":3,\"text\":\"@words\"}"})
        EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;

    ScriptSession session;
    ASSERT_TRUE(session.Load(script.c_str()));
    const TimelineLanes lanes = BuildTimelineLanes(session);
    const TimelineLayout layout = LayOutTimeline(lanes, kWidth, kHeight, 2500, 7000, false, TimelineStyle::Picture);
    ASSERT_EQ(layout.effects.size(), 2u);
    ASSERT_EQ(layout.effects[0].tracks.size(), 2u);
    ASSERT_EQ(layout.effects[1].tracks.size(), 1u);
    const TimeAxis& axis = layout.axis;

    // The fade from 2.5 to -1 spans its track (-1 to 2.5, so 2.5 at the top)
    // down to the floor, where it stays after 5000; columns between beat lines.
    const LaneRow& speed = layout.effects[0].tracks[0];
    const double flat = axis.XOf(5500);
    for (const auto& [time, share] : {std::pair{2800u, 1.0}, {3500u, 0.75}, {4000u, 0.5}, {4500u, 0.25}})
        EXPECT_NEAR(CurveTop(axis.XOf(time), flat, speed), CurveY(speed, share), 2.0) << time;
    // lng.1 on its own scale (0 to 9): 8, set before the picture's start, then 9.
    const LaneRow& other = layout.effects[0].tracks[1];
    ASSERT_EQ(other.bottom - other.top, speed.bottom - speed.top);
    EXPECT_NEAR(CurveTop(axis.XOf(3000), flat, other, &speed), CurveY(other, 8.0 / 9.0), 2.0);
    EXPECT_NEAR(CurveTop(axis.XOf(6800), flat, other, &speed), CurveY(other, 1.0), 2.0);
    // ...and the value in force at the left edge is written there.
    EXPECT_TRUE(AnyBright(axis.left + 2, axis.left + 30, other.top + 1, other.top + 11));
    EXPECT_FALSE(AnyBright(axis.XOf(5500), axis.XOf(5500) + 28, other.top + 1, other.top + 11));
    // So is the name of the pattern playing since before it.
    EXPECT_TRUE(AnyBright(axis.left + 2, axis.left + 20, layout.pattern.top + 2, layout.pattern.top + 11));

    // The label of the Set at 4050, 7 pixels after the one at 4000, does not
    // fit: the one at 4000 reads "0 +1", past the tick at 4050.
    const LaneRow& pictures = layout.effects[1].tracks[0];
    int rightmost = 0;
    for (int x = int(axis.XOf(4000)); x < int(axis.XOf(4400)); ++x)
        if (AnyBright(x, x + 1, pictures.top + 2, pictures.top + 10))
            rightmost = x;
    EXPECT_GT(rightmost, axis.XOf(4000) + 20.0);
    EXPECT_LT(rightmost, axis.XOf(4000) + 40.0);

    // Positions at 125 BPM (1920 ms) up to the change at 6400, whose mark
    // stands in the ruler; none where 150 BPM would have put them.
    EXPECT_NE(Pixel(axis.XOf(5760), 4), Pixel(axis.XOf(5600), 4));
    EXPECT_NE(Pixel(axis.XOf(3840), 4), Pixel(axis.XOf(3600), 4));
    EXPECT_EQ(Pixel(axis.XOf(4800), 4), Pixel(axis.XOf(5600), 4));
    EXPECT_EQ(Pixel(axis.XOf(3200), 4), Pixel(axis.XOf(5600), 4));
    const uint32_t tempo = Pixel(axis.XOf(6400), 4);
    EXPECT_GT(tempo & 0xFF, (tempo >> 8) & 0xFF);

    // A track's value is the one playback gives the effect, also for a Set
    // in the middle of a fade (faded on from there) and a fade of no length.
    // (A fade begun while another runs loses the other's change over one
    // frame, which the picture, not knowing the frames, leaves out.)
    const std::string overlap = Write("overlap.txt", "=1000 Fade scene.2.dbl.4 from 1 to 3 time =1000\n"
                                                     "=1500 Set scene.2.dbl.4 -2\n"
                                                     "=2100 Fade scene.2.dbl.4 from 0 to 1 time =400\n"
                                                     "=2600 Fade scene.2.dbl.4 from 5 to 7 time =0\n");
    ScriptSession drawn, played;
    ASSERT_TRUE(drawn.Load(overlap.c_str()) && played.Load(overlap.c_str()));
    const ParameterTrack track = BuildTimelineLanes(drawn).effects.at(0).tracks.at(0);
    Timeline& timeline = played.GetTimeline();
    timeline.Reset();
    while (timeline.CurrentTime() < 3000) {
        timeline.Advance(10);
        ASSERT_NEAR(timeline.Params(2).dbl[4], track.ValueAt(timeline.CurrentTime()), 1e-9) << timeline.CurrentTime();
    }

    // Too small a picture folds its slots' tracks into their lanes; the
    // strip unfolds only the slots it is asked to.
    const TimelineLayout small = LayOutTimeline(lanes, kWidth, 120, 0, 8000, false, TimelineStyle::Picture);
    EXPECT_TRUE(small.effects[0].tracks.empty());
    EXPECT_TRUE(small.effects[1].tracks.empty());
    const std::vector<int32_t> heart{3};
    const TimelineLayout strip = LayOutTimeline(lanes, kWidth, 150, 0, 8000, false, TimelineStyle::Strip, &heart);
    EXPECT_EQ(strip.effects[0].tracks.size(), 2u);
    EXPECT_TRUE(strip.effects[1].tracks.empty());
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
    const std::string good = Write("good.txt", std::string(kLoads) + kTracksScript);
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
    // Nor one that does nothing at any moment.
    const ToolRun idle = Draw(Write("idle.txt", kLoads), png);
    EXPECT_EQ(idle.status, 1);
    EXPECT_NE(idle.out.find("has no timed events"), std::string::npos) << idle.out;
    EXPECT_FALSE(std::filesystem::exists(png));
}

} // namespace
