// The pieces of the off-screen renderer: its clock, the shaping of read-back
// frames, PNG encoding, and the show drawn with and without the disclaimer.
#include "app/ProcessObjects.h"
#include "demo/Timeline.h"
#include "offline/FrameWriter.h"
#include "offline/GoldenFrames.h"
#include "offline/OfflineShow.h"
#include "offline/RenderPieces.h"
#include "offline/SteppedClock.h"
#include "resources/PngDecoder.h"
#include "resources/PngEncoder.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

TEST(SteppedClock, FramesFollowTheExactFrameTimesInWholeMilliseconds)
{
    SteppedClock clock(60);
    clock.StartFrames();
    std::vector<uint32_t> lengths;
    uint32_t before = clock.TimeMs();
    for (int i = 0; i < 120; ++i) {
        const uint32_t announced = clock.NextFrameLength();
        clock.NextFrame();
        lengths.push_back(clock.TimeMs() - before);
        EXPECT_EQ(lengths.back(), announced);
        before = clock.TimeMs();
    }
    EXPECT_EQ((std::vector<uint32_t>{lengths[0], lengths[1], lengths[2], lengths[3]}),
              (std::vector<uint32_t>{16, 17, 17, 16}));
    EXPECT_EQ(std::accumulate(lengths.begin(), lengths.end(), 0u), 2000u);

    SteppedClock slow(7);
    slow.StartFrames();
    for (int i = 0; i < 7; ++i)
        slow.NextFrame();
    EXPECT_EQ(slow.TimeMs(), 1000u);
}

TEST(SteppedClock, SleepsMoveTheClockAndAreCountedOnce)
{
    SteppedClock clock(30);
    clock.Sleep(1000);
    clock.Sleep(1);
    EXPECT_EQ(clock.TimeMs(), 1001u);
    EXPECT_EQ(clock.TickCount(), 1001u);
    EXPECT_EQ(clock.TakeSleptMs(), 1001u);
    EXPECT_EQ(clock.TakeSleptMs(), 0u);
    // Frames count from where the sleeps left the clock.
    clock.StartFrames();
    clock.NextFrame();
    EXPECT_EQ(clock.TimeMs(), 1034u);
}

RawFrame Gradient(int32_t width, int32_t height)
{
    RawFrame raw;
    raw.width = width;
    raw.height = height;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            raw.rgba.insert(raw.rgba.end(), {uint8_t(x + 1), uint8_t(y + 1), 200, 255});
    return raw;
}

TEST(FrameShape, RowsTurnTopDownAndAlphaGoes)
{
    RgbFrame out;
    FrameWriter::Shape(Gradient(4, 3), 4, 3, out);
    ASSERT_EQ(out.pixels.size(), 4u * 3u * 3u);
    // GL's bottom row (y + 1 = 1) is the picture's last row.
    EXPECT_EQ(out.pixels[0], 1);
    EXPECT_EQ(out.pixels[1], 3);
    EXPECT_EQ(out.pixels[2], 200);
    const size_t lastRow = 2 * 4 * 3;
    EXPECT_EQ(out.pixels[lastRow + 3 * 3], 4);
    EXPECT_EQ(out.pixels[lastRow + 3 * 3 + 1], 1);
}

TEST(FrameShape, AFourByThreePictureIsCentredOnBlackInAWideFrame)
{
    RgbFrame out;
    FrameWriter::Shape(Gradient(8, 6), 12, 6, out);
    ASSERT_EQ(out.width, 12);
    for (int32_t y = 0; y < 6; ++y) {
        const uint8_t* row = out.pixels.data() + size_t(y) * 12 * 3;
        for (int32_t x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 10;
            EXPECT_EQ(row[x * 3 + 2], inside ? 200 : 0) << x << "," << y;
            if (inside) {
                EXPECT_EQ(row[x * 3], x - 2 + 1);
            }
        }
    }
}

TEST(PngEncoder, RoundTripsAndGivesTheSameBytesEveryTime)
{
    RgbFrame frame;
    FrameWriter::Shape(Gradient(5, 4), 5, 4, frame);
    std::vector<uint8_t> first;
    std::vector<uint8_t> second;
    std::string error;
    ASSERT_TRUE(EncodePngRgb(frame, first, error)) << error;
    ASSERT_TRUE(EncodePngRgb(frame, second, error)) << error;
    EXPECT_EQ(first, second);

    PngImage decoded;
    ASSERT_TRUE(DecodePng(first.data(), first.size(), PngDecodeOptions{}, decoded, error)) << error;
    ASSERT_EQ(decoded.width, 5u);
    ASSERT_EQ(decoded.height, 4u);
    ASSERT_EQ(decoded.channels, 3u);
    EXPECT_TRUE(std::equal(frame.pixels.begin(), frame.pixels.end(), decoded.pixels.get()));
}

TEST(PngEncoder, RefusesPixelsThatDoNotFitTheSize)
{
    RgbFrame frame;
    frame.width = 4;
    frame.height = 4;
    frame.pixels.resize(10);
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_FALSE(EncodePngRgb(frame, out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WritePngRgb("/nonexistent-dir/x.png", RgbFrame{}, error));
}

class ShowFrames : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chdir(DEMO_SOURCE_DIR), 0); }
};

bool IsBlack(const RgbFrame& frame, int32_t x, int32_t y)
{
    const uint8_t* p = frame.pixels.data() + (size_t(y) * size_t(frame.width) + size_t(x)) * 3;
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

int64_t LitPixels(const RgbFrame& frame, int32_t left, int32_t right)
{
    int64_t lit = 0;
    for (int32_t y = 0; y < frame.height; ++y)
        for (int32_t x = left; x < right; ++x)
            lit += IsBlack(frame, x, y) ? 0 : 1;
    return lit;
}

TEST_F(ShowFrames, AWideSizeDrawsTheShowFourByThreeBetweenBlackBars)
{
    OfflineSettings settings;
    settings.width = 320;
    settings.height = 180;
    settings.framesPerSecond = 30;
    RgbFrame frame;
    std::string error;
    // The closing card: a lit picture over the whole 4:3 area.
    ASSERT_TRUE(RenderShowFrame(settings, 147000, 147840, frame, error)) << error;
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 180);
    // 180 high makes the picture 240 wide, 40 pixels of black each side.
    EXPECT_EQ(LitPixels(frame, 0, 40), 0);
    EXPECT_EQ(LitPixels(frame, 280, 320), 0);
    EXPECT_GT(LitPixels(frame, 40, 280), 240 * 180 / 2);
}

TEST_F(ShowFrames, TheDisclaimerSequenceComesFirstWhenAsked)
{
    KeepLastFrame keep;
    OfflineSettings settings;
    settings.width = 320;
    settings.height = 240;
    settings.framesPerSecond = 50;
    settings.withIntro = true;
    OfflineShow show(settings, &keep);
    std::string error;
    ASSERT_TRUE(show.Open(error)) << error;
    // 101 frames fading in, one per script line read (the text after the
    // last line break counts as a line), the one-second pause as 50
    // frames, 101 fading out.
    const int64_t lines = show.GetTimeline().LineNumber() - 1;
    EXPECT_GT(lines, 100);
    std::string finished;
    ASSERT_TRUE(show.Finish(finished)) << finished;
    EXPECT_EQ(keep.count, 101 + lines + 50 + 101);
    EXPECT_EQ(show.FramesSubmitted(), keep.count);
    // The last frame of the fade-out is all but black.
    EXPECT_EQ(LitPixels(keep.frame, 0, 320), 0);
}

TEST_F(ShowFrames, WithoutTheDisclaimerNothingIsWrittenBeforeTheFirstFrame)
{
    KeepLastFrame keep;
    OfflineShow show(GoldenSettings(), &keep);
    std::string error;
    ASSERT_TRUE(show.Open(error)) << error;
    EXPECT_EQ(show.FramesSubmitted(), 0);
    EXPECT_EQ(show.NextFrameTime(), show.GetTimeline().StartTime());
    show.StartAt(5000);
    EXPECT_EQ(show.NextFrameTime(), 5000u);
    EXPECT_TRUE(show.RenderFrame(false));
    // 30 frames per second: the second frame lies 33 ms on.
    EXPECT_EQ(show.NextFrameTime(), 5033u);
    EXPECT_TRUE(show.RenderFrame(true));
    ASSERT_TRUE(show.Finish(error)) << error;
    EXPECT_EQ(keep.count, 1);
    EXPECT_GT(LitPixels(keep.frame, 0, 320), 1000);
}

TEST_F(ShowFrames, TheProcessWideObjectsAndTheVideoDriverBeforeComeBack)
{
    const char* atStart = SDL_getenv("SDL_VIDEODRIVER");
    const std::string driverAtStart = atStart ? atStart : "";
    SDL_setenv("SDL_VIDEODRIVER", "x11", 1);
    ProcessObjects outer;
    {
        OfflineShow show(GoldenSettings(), nullptr);
        std::string error;
        ASSERT_TRUE(show.Open(error)) << error;
        EXPECT_NE(GetGLWindow(), &outer.Window());
        EXPECT_NE(GetRenderHelper(), nullptr);
    }
    EXPECT_EQ(GetGLWindow(), &outer.Window());
    EXPECT_EQ(GetKeyboard(), &outer.keyboard);
    EXPECT_EQ(GetMusic(), &outer.music);
    EXPECT_EQ(GetRenderHelper(), nullptr);
    EXPECT_STREQ(SDL_getenv("SDL_VIDEODRIVER"), "x11");
    SDL_setenv("SDL_VIDEODRIVER", driverAtStart.c_str(), 1);
}

TEST_F(ShowFrames, AFrameThatCannotBeReadBackFailsTheRender)
{
    KeepLastFrame keep;
    OfflineShow show(GoldenSettings(), &keep);
    std::string error;
    ASSERT_TRUE(show.Open(error)) << error;
    EXPECT_TRUE(show.RenderFrame(true));
    // Every buffer mapped here already, the renderer's map of a frame fails.
    const auto bind = reinterpret_cast<PFNGLBINDBUFFERPROC>(SDL_GL_GetProcAddress("glBindBuffer"));
    const auto map = reinterpret_cast<PFNGLMAPBUFFERPROC>(SDL_GL_GetProcAddress("glMapBuffer"));
    const auto isBuffer = reinterpret_cast<PFNGLISBUFFERPROC>(SDL_GL_GetProcAddress("glIsBuffer"));
    ASSERT_TRUE(bind && map && isBuffer);
    int mapped = 0;
    for (GLuint name = 1; name < 256; ++name) {
        if (!isBuffer(name))
            continue;
        bind(GL_PIXEL_PACK_BUFFER, name);
        mapped += map(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY) ? 1 : 0;
    }
    bind(GL_PIXEL_PACK_BUFFER, 0);
    ASSERT_GT(mapped, 0);
    EXPECT_FALSE(show.RenderFrame(true) && show.RenderFrame(true));
    EXPECT_FALSE(show.Finish(error));
    EXPECT_NE(error.find("could not be read back"), std::string::npos) << error;
}

struct Moment {
    const char* name;
    uint32_t fromMs; // where the timeline starts, as a "Goto" would
    uint32_t atMs;
};

// The frame at atMs with every frame before it drawn, or skipped.
RgbFrame PlayTo(const Moment& moment, bool skipping)
{
    OfflineSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.framesPerSecond = 20;
    KeepLastFrame keep;
    OfflineShow show(settings, &keep);
    std::string error;
    EXPECT_TRUE(show.Open(error)) << error;
    show.StartAt(moment.fromMs);
    if (skipping) {
        EXPECT_TRUE(show.FastForwardTo(moment.atMs));
    }
    while (show.NextFrameTime() < moment.atMs)
        show.RenderFrame(false);
    EXPECT_EQ(show.NextFrameTime(), moment.atMs) << moment.name;
    show.RenderFrame(true);
    EXPECT_TRUE(show.Finish(error)) << error;
    EXPECT_EQ(keep.count, 1);
    return keep.frame;
}

TEST_F(ShowFrames, FastForwardLandsOnTheFrameThatAFullPlayDraws)
{
    // Moments whose picture hangs on earlier frames: the static fading after
    // a flash, the wobble thrown by the steps of a pattern just switched in,
    // the heart's pieces, camera path and random wandering at the drop.
    const Moment moments[] = {
        {"static fading in the intro", 0, 2400},
        {"just after a pattern switch", 44160, 46160},
        {"the drop", 90240, 92640},
    };
    for (const Moment& moment : moments) {
        const RgbFrame drawn = PlayTo(moment, false);
        const RgbFrame skipped = PlayTo(moment, true);
        EXPECT_TRUE(drawn.pixels == skipped.pixels) << moment.name;
        // Started at the moment itself, the show looks different: the
        // frames before it matter, so the match above says something.
        const RgbFrame fresh = PlayTo({moment.name, moment.atMs, moment.atMs}, false);
        EXPECT_FALSE(drawn.pixels == fresh.pixels) << moment.name;
    }
}

// The bundled show with lines added to its script, in a directory of its own.
class ChangedShowFrames : public ::testing::Test {
protected:
    void Enter(const std::string& addedLines)
    {
        namespace fs = std::filesystem;
        directory = fs::temp_directory_path() / ("offline_show_test_" + std::to_string(getpid()));
        fs::create_directories(directory / "data");
        for (const char* folder : {"png", "3ds", "music"})
            fs::create_directory_symlink(fs::path(DEMO_SOURCE_DIR) / "data" / folder, directory / "data" / folder);
        fs::copy_file(fs::path(DEMO_SOURCE_DIR) / "data" / "script.txt", directory / "data" / "script.txt");
        std::ofstream(directory / "data" / "script.txt", std::ios::app) << addedLines;
        ASSERT_EQ(chdir(directory.c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(DEMO_SOURCE_DIR), 0);
        std::filesystem::remove_all(directory);
    }

    std::filesystem::path directory;
};

TEST_F(ChangedShowFrames, FastForwardStaysExactWhileTheFrameClearIsStopped)
{
    // #10.0 is 19200 ms: frames draw over the frames before them until #11.0.
    Enter("#10.0 Set scene.0.STOP\n#11.0 Set scene.0.RUN\n");
    const Moment moments[] = {
        {"the clear stopped", 18000, 20000},
        {"the clear running again", 18000, 21200},
    };
    for (const Moment& moment : moments) {
        const RgbFrame drawn = PlayTo(moment, false);
        EXPECT_TRUE(drawn.pixels == PlayTo(moment, true).pixels) << moment.name;
        EXPECT_GT(LitPixels(drawn, 0, 160), 1000) << moment.name;
    }
}

TEST_F(ShowFrames, TheShowStopsAtTheScriptsEnd)
{
    OfflineShow show(GoldenSettings(), nullptr);
    std::string error;
    ASSERT_TRUE(show.Open(error)) << error;
    const uint32_t end = show.GetTimeline().EndTime();
    show.StartAt(end - 100);
    int frames = 0;
    while (show.RenderFrame(false) && frames < 100)
        ++frames;
    // Frames at end - 100, - 67 and - 34 go on; the one at the end itself
    // is drawn and reports it.
    EXPECT_EQ(frames, 3);
    EXPECT_GE(show.GetTimeline().CurrentTime(), end);

    // The count that a joined video's length comes from, and the pieces of
    // that range, each one a render takes: none starts at the end, so the
    // frame that reaches it goes with the piece before.
    const RenderRange range{end - 100, end - 90, end + 1000};
    EXPECT_EQ(FrameCount(range, 30, end), 3);
    std::vector<int32_t> places;
    const std::vector<RenderRange> pieces = SplitRange(range, 30, end, 5, &places);
    ASSERT_EQ(pieces.size(), 2u);
    // Frames 0, 0, 1, 1 and 2 begin the five places: the first and third are
    // empty, the last one's frame goes with the fourth.
    EXPECT_EQ(places, (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(FirstFrameTime(pieces[0], 30), end - 67);
    EXPECT_EQ(pieces[0].to, end - 34);
    EXPECT_EQ(FirstFrameTime(pieces[1], 30), end - 34);
    EXPECT_EQ(pieces[1].to, range.to);
    EXPECT_EQ(FrameCount(pieces[0], 30, end) + FrameCount(pieces[1], 30, end), 3);
    for (const RenderRange& piece : pieces)
        EXPECT_LT(piece.from, end);
}

} // namespace
