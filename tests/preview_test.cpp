#include "app/Keyboard.h"
#include "app/ProcessObjects.h"
#include "demo/Timeline.h"
#include "effects/RenderHelper.h"
#include "platform/AudioLayer.h"
#include "platform/CrtRandom.h"
#include "platform/Messages.h"
#include "resources/MCSounds.h"
#include "tests/support/Fakes.h"
#include "tests/support/HeadlessGL.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PngWriter.h"
#include "tools/demotool/preview/FileWatch.h"
#include "tools/demotool/preview/PreviewKeys.h"
#include "tools/demotool/preview/PreviewSession.h"
#include "tools/demotool/preview/TimelineStrip.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <map>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Blocks = std::array<EffectParams, Timeline::kEffectSlots>;

struct Colour {
    uint8_t r, g, b;
};

constexpr Colour kRed{255, 0, 0};
constexpr Colour kGreen{0, 255, 0};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kGrey{128, 128, 128};

constexpr uint32_t kMusicSeconds = 60;
constexpr uint32_t kMsPerPosition = 1920;

// Everything the effects need, then the frame clear and composition, and the
// picture scene showing "pic1" (red) unless the test says otherwise.
std::string ShowScript(const std::string& timedLines)
{
    std::string script = "Define _IMG_DIR=data/png/\n"
                         "Define _MUSIC_DIR=data/music/\n";
    for (const char* name : {"envmap", "noise", "logo", "lumora", "pic1", "pic2", "pic3", "pic4", "pic5", "pic6"})
        script += std::string("LoadImage ") + name + " " + name + ".png\n";
    script += "LoadMusic track.wav 125 4\n"
              "#0.0 Set scene.0.RUN\n"
              "#0.0 Set scene.4.RUN\n"
              "#0.0 Set scene.5.RUN\n";
    return script + timedLines;
}

const std::string kRedShow = ShowScript("#0.0 Set scene.4.lng.0 0\n");
const std::string kGreenShow = ShowScript("#0.0 Set scene.4.lng.0 1\n");

// Sets, fades, triggers and patterns on either side of position 9, on effect
// slots and beyond them.
const std::string kBusyShow = ShowScript("DefinePattern 0 x.*.\n"
                                         "DefinePattern 1 ab..c\n"
                                         "#0.0 Set scene.4.lng.0 0\n"
                                         "#1.0 UsePattern 0\n"
                                         "#2.0 Set scene.3.dbl.1 2.5\n"
                                         "#3.0 Set scene.9.lng.2 7\n"
                                         "#4.0 Set scene.4.lng.0 1\n"
                                         "#5.0 Trig scene.2.bool.3 true\n"
                                         "#6.0 Fade scene.2.dbl.0 from 1.0 to 3.0 time #6.0\n"
                                         "#8.2 UsePattern 1\n"
                                         "#9.0 Trig scene.7.bool.5 true\n"
                                         "#9.1 Set scene.3.dbl.1 -1.25\n"
                                         "#9.2 Fade scene.40.dbl.9 from 0.0 to 2.0 time #1.0\n"
                                         "#10.0 Set scene.4.lng.0 2\n");

// A silent mono WAV of the given length.
bool WriteSilence(const fs::path& path, uint32_t seconds)
{
    const uint32_t rate = 8000;
    const uint32_t dataBytes = rate * seconds * 2;
    std::vector<uint8_t> bytes(44 + size_t(dataBytes), 0);
    size_t at = 0;
    auto put = [&](const char* text) {
        std::memcpy(&bytes[at], text, 4);
        at += 4;
    };
    auto putNumber = [&](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at++] = uint8_t(value >> (8 * i));
    };
    put("RIFF");
    putNumber(36 + dataBytes, 4);
    put("WAVE");
    put("fmt ");
    putNumber(16, 4);
    putNumber(1, 2); // PCM
    putNumber(1, 2); // mono
    putNumber(rate, 4);
    putNumber(rate * 2, 4);
    putNumber(2, 2);
    putNumber(16, 2);
    put("data");
    putNumber(dataBytes, 4);
    return WriteFileBytes(path.string(), bytes);
}

bool WriteSolidPng(const fs::path& path, Colour colour)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 8 * 8; ++i)
        rgba.insert(rgba.end(), {colour.r, colour.g, colour.b, 255});
    return WriteRgbaPng(path.string(), 8, 8, rgba);
}

::testing::AssertionResult ShowsColour(const Rgba& pixel, Colour expected)
{
    return NearColour(pixel, expected.r, expected.g, expected.b, 40);
}

// Pictures of the same frame reached by different paths. The show's state and
// the frame's GL calls are then the same, but llvmpipe's pixels still depend
// on what the driver was sent before (a few discarded points sent ahead of a
// landing are enough to move one pixel by one level), so a handful of
// channels may be one level off. A state left out of a restore moves far
// more than that.
::testing::AssertionResult SamePicture(const std::vector<uint8_t>& picture, const std::vector<uint8_t>& expected)
{
    constexpr int kMostDriverNoise = 64;
    if (picture.size() != expected.size())
        return ::testing::AssertionFailure() << "the sizes differ";
    int differing = 0;
    int largest = 0;
    for (size_t i = 0; i < picture.size(); ++i) {
        const int difference = std::abs(int(picture[i]) - int(expected[i]));
        differing += difference != 0;
        largest = std::max(largest, difference);
    }
    if (largest <= 1 && differing <= kMostDriverNoise)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " channels differ, by up to " << largest;
}

// A show directory of its own, entered for the test, with a real context, the
// process-wide objects and music that only pretends to play, so that its
// position stands exactly where the preview put it.
class PreviewTest : public GLTest {
protected:
    int32_t ContextWidth() const override { return 800; }
    int32_t ContextHeight() const override { return 600; }

    void SetUp() override
    {
        GLTest::SetUp();
        directory = fs::temp_directory_path() /
                    ("preview_test_" + std::to_string(getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory / "data" / "png");
        fs::create_directories(directory / "data" / "3ds");
        fs::create_directories(directory / "data" / "music");
        previous = fs::current_path();
        fs::current_path(directory);

        for (const char* name : {"envmap", "noise", "logo", "lumora", "pic3", "pic4", "pic5", "pic6"})
            ASSERT_TRUE(WriteSolidPng(Picture(name), std::strcmp(name, "logo") == 0 ? kBlack : kGrey));
        ASSERT_TRUE(WriteSolidPng(Picture("pic1"), kRed));
        ASSERT_TRUE(WriteSolidPng(Picture("pic2"), kGreen));
        ASSERT_TRUE(WriteFileBytes("data/3ds/cordel.3ds",
                                   MakeMeshFile({FileMaterial("shell")}, {MakeSquare("a", 0, 0, 0, 1, "shell")})));
        ASSERT_TRUE(WriteSilence("data/music/track.wav", kMusicSeconds));

        AudioSetOutputOff(true);
        objects.emplace(&gl->Window());
        objects->MakeRenderHelper();
        report = std::tmpfile();
        ASSERT_NE(report, nullptr);
    }

    void TearDown() override
    {
        session.reset();
        objects.reset();
        AudioSetOutputOff(false);
        if (report)
            std::fclose(report);
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(directory, ignored);
        GLTest::TearDown();
    }

    static fs::path Picture(const std::string& name) { return fs::path("data/png") / (name + ".png"); }

    // Written with a modification time of its own, later than any before, so
    // that the change shows however coarse the file system's clock is.
    void WriteFileChanged(const fs::path& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(++changes));
    }
    void WriteScript(const std::string& text) { WriteFileChanged("data/script.txt", text); }

    // Seeks land within the Step that starts them unless the test says
    // otherwise; checkpoints come from seeks alone unless it says so.
    PreviewSession& NewSession(uint32_t seekSlice = 60000, uint32_t fillSlice = 0)
    {
        session.reset();
        session.emplace(report, 0, seekSlice, fillSlice);
        return *session;
    }

    void Steps(int count, uint32_t elapsed, std::vector<Blocks>* history = nullptr)
    {
        for (int i = 0; i < count; ++i) {
            session->Step(elapsed, {});
            if (history)
                history->push_back(CurrentBlocks());
        }
    }

    Blocks CurrentBlocks()
    {
        Blocks blocks{};
        Timeline* timeline = const_cast<Timeline*>(session->CurrentTimeline());
        for (int32_t i = 0; i < Timeline::kEffectSlots; ++i)
            blocks[size_t(i)] = timeline->Params(i);
        return blocks;
    }

    Rgba Middle() const { return Pixel(400, 300); }

    std::string ReportText()
    {
        std::fflush(report);
        std::rewind(report);
        std::string text;
        char chunk[512];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, report)) > 0)
            text.append(chunk, got);
        return text;
    }

    uint64_t MusicBytes(uint32_t milliseconds) const
    {
        return BASS_ChannelSeconds2Bytes(session->MusicHandle(), float(milliseconds * 0.001));
    }

    fs::path directory;
    fs::path previous;
    std::optional<ProcessObjects> objects;
    std::optional<PreviewSession> session;
    RecordingMessageBoxes boxes;
    FILE* report = nullptr;
    int changes = 0;
};

// GL texture names in use among the first few hundred.
int LiveTextures()
{
    int count = 0;
    for (GLuint name = 1; name < 512; ++name)
        count += glIsTexture(name) ? 1 : 0;
    return count;
}

bool SameBlocks(const Blocks& a, const Blocks& b)
{
    return std::memcmp(a.data(), b.data(), sizeof(Blocks)) == 0;
}

} // namespace

TEST_F(PreviewTest, ReloadAfterTheScriptChangesKeepsTheTimeAndShowsTheChange)
{
    WriteScript(kRedShow);
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    EXPECT_EQ(preview.BuildCount(), 1);
    Steps(10, 100);
    EXPECT_EQ(preview.Time(), 1000u);
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), 0u);
    const uint32_t musicBefore = preview.MusicHandle();
    const int texturesOfOneShow = LiveTextures();
    EXPECT_GE(texturesOfOneShow, 12);

    // Nothing changed: nothing is rebuilt.
    Steps(2, 100);
    EXPECT_EQ(preview.BuildCount(), 1);

    // The new show lands on the moment reached, and its first frame shows it.
    // A picture loaded again under its name: the first stays with the show.
    WriteScript(kGreenShow + "LoadImage pic3 pic3.png\n");
    Steps(1, 100);
    EXPECT_EQ(preview.BuildCount(), 2);
    EXPECT_EQ(preview.Time(), 1200u);
    EXPECT_TRUE(ShowsColour(Middle(), kGreen));
    EXPECT_TRUE(preview.Faults().empty());
    // The same music file: the stream is kept, and waits there for the picture.
    EXPECT_EQ(preview.MusicHandle(), musicBefore);
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(1200));
    EXPECT_NE(ReportText().find("data/script.txt changed"), std::string::npos) << ReportText();
    Steps(1, 100);
    EXPECT_EQ(preview.Time(), 1300u);

    // A picture changed on disk comes in as well, the time still kept.
    ASSERT_TRUE(WriteSolidPng(Picture("pic2"), {0, 0, 255}));
    fs::last_write_time(Picture("pic2"), fs::file_time_type::clock::now() + std::chrono::seconds(++changes));
    Steps(1, 100);
    EXPECT_EQ(preview.BuildCount(), 3);
    EXPECT_EQ(preview.Time(), 1300u);
    EXPECT_TRUE(ShowsColour(Middle(), {0, 0, 255}));

    // F5 rebuilds without any change.
    preview.Step(50, {PreviewAction::Reload});
    EXPECT_EQ(preview.BuildCount(), 4);
    EXPECT_EQ(preview.Time(), 1300u);
    // The shows replaced took all their pictures with them.
    EXPECT_EQ(LiveTextures(), texturesOfOneShow + 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PreviewTest, FaultsInAReloadedScriptLeaveTheLastGoodShowRunningAndAreReported)
{
    WriteScript(kRedShow);
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    Steps(5, 100);

    WriteScript(kGreenShow + "#1.0 Set scene.4.lng.0 1\nthis is no command\n#2.0 Fade scene.4\n");
    Steps(1, 100);
    EXPECT_EQ(preview.BuildCount(), 2);
    ASSERT_EQ(preview.Faults().size(), 2u);
    EXPECT_NE(preview.Faults()[0].find("data/script.txt:"), std::string::npos);
    EXPECT_NE(preview.Faults()[0].find("Syntax error: this is no command"), std::string::npos) << preview.Faults()[0];
    EXPECT_NE(preview.Title().find("2 faults"), std::string::npos) << preview.Title();
    EXPECT_NE(preview.Title().find("Syntax error"), std::string::npos) << preview.Title();
    const std::string told = ReportText();
    EXPECT_NE(told.find("the last good show plays on"), std::string::npos) << told;
    EXPECT_NE(told.find("Syntax error: this is no command"), std::string::npos) << told;
    EXPECT_TRUE(boxes.boxes.empty());

    // The old show goes on, in time and in picture.
    EXPECT_EQ(preview.Time(), 600u);
    Steps(3, 100);
    EXPECT_EQ(preview.Time(), 900u);
    EXPECT_TRUE(ShowsColour(Middle(), kRed));

    // An unreadable picture is a fault too.
    WriteScript(kGreenShow);
    WriteFileChanged(Picture("pic2"), "not a picture");
    Steps(1, 100);
    ASSERT_FALSE(preview.Faults().empty());
    EXPECT_NE(preview.Faults()[0].find("data/png/pic2.png cannot be read"), std::string::npos) << preview.Faults()[0];
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
    EXPECT_EQ(preview.Time(), 1000u);

    // Mended, the new show comes in at the time reached.
    ASSERT_TRUE(WriteSolidPng(Picture("pic2"), kGreen));
    fs::last_write_time(Picture("pic2"), fs::file_time_type::clock::now() + std::chrono::seconds(++changes));
    Steps(1, 100);
    EXPECT_TRUE(preview.Faults().empty());
    EXPECT_EQ(preview.Time(), 1000u);
    EXPECT_TRUE(ShowsColour(Middle(), kGreen));
    EXPECT_EQ(preview.Title().find("fault"), std::string::npos) << preview.Title();
}

TEST_F(PreviewTest, WithoutAGoodShowNothingPlaysUntilTheFilesAreMended)
{
    WriteScript(ShowScript("#0.0 Set scene.4.lng.0 0\nLoadImage pic1\n"));
    PreviewSession& preview = NewSession();
    EXPECT_FALSE(preview.Start());
    EXPECT_FALSE(preview.HasShow());
    ASSERT_EQ(preview.Faults().size(), 1u);
    EXPECT_NE(preview.Faults()[0].find("Missing image handle or filename"), std::string::npos);
    Steps(2, 100);
    EXPECT_TRUE(ShowsColour(Middle(), kBlack));
    EXPECT_NE(preview.Title().find("no show"), std::string::npos);
    EXPECT_NE(ReportText().find("nothing to play"), std::string::npos);

    // A script that lacks a picture the effects need says which.
    WriteScript("Define _IMG_DIR=data/png/\nLoadImage envmap envmap.png\n#0.0 Set scene.0.RUN\n");
    Steps(1, 100);
    ASSERT_EQ(preview.Faults().size(), 1u);
    EXPECT_NE(preview.Faults()[0].find("noise"), std::string::npos) << preview.Faults()[0];
    EXPECT_FALSE(preview.HasShow());

    WriteScript(ShowScript("Goto #2.0\n#0.0 Set scene.4.lng.0 0\n"));
    Steps(1, 100);
    ASSERT_TRUE(preview.HasShow());
    // Nothing played before: the show starts where its script says.
    EXPECT_EQ(preview.Time(), 2 * kMsPerPosition + 100);
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(2 * kMsPerPosition));
}

TEST_F(PreviewTest, ChangedMusicComesInAtTheTimeReachedAndBadMusicIsAFault)
{
    WriteScript(kRedShow);
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    Steps(10, 100);
    const uint32_t first = preview.MusicHandle();
    ASSERT_NE(first, 0u);

    ASSERT_TRUE(WriteSilence("data/music/track.wav", kMusicSeconds / 2));
    fs::last_write_time("data/music/track.wav", fs::file_time_type::clock::now() + std::chrono::seconds(++changes));
    Steps(1, 100);
    const uint32_t second = preview.MusicHandle();
    EXPECT_NE(second, first);
    EXPECT_EQ(AudioChannelLength(first), ~uint64_t(0)) << "the replaced stream is still open";
    EXPECT_EQ(AudioChannelPosition(second), MusicBytes(1000));
    EXPECT_TRUE(AudioChannelIsPlaying(second));

    WriteFileChanged("data/music/track.wav", "no music at all");
    Steps(1, 100);
    ASSERT_EQ(preview.Faults().size(), 1u);
    EXPECT_NE(preview.Faults()[0].find("the music data/music/track.wav cannot be played"), std::string::npos)
        << preview.Faults()[0];
    EXPECT_EQ(preview.MusicHandle(), second);
    EXPECT_EQ(preview.Time(), 1100u);

    // A script without music leaves the preview silent.
    std::string silent = kRedShow;
    const size_t musicLine = silent.find("LoadMusic");
    silent.erase(musicLine, silent.find('\n', musicLine) + 1 - musicLine);
    WriteScript(silent);
    Steps(1, 100);
    EXPECT_TRUE(preview.Faults().empty());
    EXPECT_EQ(preview.MusicHandle(), 0u);
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
}

// The frames of a render at 60 frames per second, from the script's start.
uint32_t RenderFrameLength(int frame)
{
    return frame == 0 ? 0 : uint32_t(frame * 1000 / 60 - (frame - 1) * 1000 / 60);
}

TEST_F(PreviewTest, SeekAndResumeLandWhereTheWholeShowIsInBlocksAndPicture)
{
    // Between two frames of a render, as a click lands: the last frame is cut
    // short. The pattern steps throw the wobble and the static, which draw
    // from the random sequence; the heart tests depth; with the frame clear
    // stopped, the frames before the target show through. From #9.2, so that
    // drawing every frame takes little time.
    constexpr uint32_t kTarget = 10 * kMsPerPosition + 7;
    constexpr int kFrames = 10;
    const std::string script = kBusyShow + "Goto #9.2\n#0.0 Set scene.3.RUN\n#9.3 Set scene.0.STOP\n";
    const auto screen = [this] { return gl->ReadRgba(0, 0, 800, 600); };
    std::vector<Blocks> sought;
    std::vector<uint8_t> soughtPicture;
    std::vector<uint8_t> soughtEnd;
    {
        WriteScript(script);
        PreviewSession& preview = NewSession();
        ASSERT_TRUE(preview.Start());
        Steps(3, 100);
        preview.SeekTo(kTarget);
        preview.Step(40, {});
        EXPECT_EQ(preview.Time(), kTarget);
        EXPECT_FALSE(preview.IsSeeking());
        EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(kTarget));
        EXPECT_TRUE(AudioChannelIsPlaying(preview.MusicHandle()));
        soughtPicture = screen();
        sought.push_back(CurrentBlocks());
        Steps(2, 80, &sought);
        // A pause, the strip shown and hidden meanwhile: the show goes on
        // from the same frame.
        preview.Step(80, {PreviewAction::TogglePause});
        preview.Step(80, {PreviewAction::ToggleStrip});
        preview.Step(80, {PreviewAction::ToggleStrip});
        preview.Step(80, {PreviewAction::TogglePause});
        sought.push_back(CurrentBlocks());
        Steps(kFrames - 4, 80, &sought);
        soughtEnd = screen();
    }
    std::vector<Blocks> played;
    std::vector<uint8_t> playedPicture;
    std::vector<uint8_t> playedEnd;
    {
        WriteScript(script);
        PreviewSession& preview = NewSession();
        ASSERT_TRUE(preview.Start());
        // Every frame drawn, on a render's frames, then the one cut short.
        int frame = 0;
        for (; preview.Time() + RenderFrameLength(frame) < kTarget || frame == 0; ++frame)
            preview.Step(RenderFrameLength(frame), {});
        preview.Step(kTarget - preview.Time(), {});
        ASSERT_EQ(preview.Time(), kTarget);
        playedPicture = screen();
        played.push_back(CurrentBlocks());
        Steps(kFrames - 1, 80, &played);
        playedEnd = screen();
    }
    EXPECT_TRUE(SamePicture(soughtPicture, playedPicture));
    EXPECT_TRUE(SamePicture(soughtEnd, playedEnd)) << "the pause moved the show";
    ASSERT_EQ(sought.size(), played.size());
    for (size_t frame = 0; frame < played.size(); ++frame)
        ASSERT_TRUE(SameBlocks(sought[frame], played[frame])) << "first differs in frame " << frame;
    // The busy part of the script reached the blocks at all.
    EXPECT_EQ(played.back()[3].dbl[1], -1.25);
    EXPECT_EQ(played.back()[9].lng[2], 7);
    EXPECT_GT(played.back()[40].dbl[9], 0.0);
}

TEST_F(PreviewTest, SeeksFromCheckpointsBothWaysLandWhereANewShowDoesUpToTheLastFrame)
{
    // Three objects for the heart to reveal on "*" steps; the camera wanders
    // on random draws, the static and the wobble flash on every step.
    ASSERT_TRUE(WriteFileBytes("data/3ds/cordel.3ds",
                               MakeMeshFile({FileMaterial("shell")}, {MakeSquare("a", 0, 0, 0, 1, "shell"),
                                                                      MakeSquare("b", 2, 1, 0, 1, "shell"),
                                                                      MakeSquare("c", -2, 0, 1, 1, "shell")})));
    WriteScript(kBusyShow + "#0.0 Set scene.1.RUN\n#0.0 Set scene.3.RUN\nEnd #12.0\n");
    constexpr uint32_t kEnd = 12 * kMsPerPosition;
    // Frames of a render: past #8.2's pattern switch, back before it, back
    // and forth elsewhere, a few frames on from a landing (from the
    // checkpoint kept there, while the noise still fades); then the end
    // itself, cut short.
    const std::vector<int> targets = {1000, 260, 600, 980, 985, 940};
    const auto frameTime = [](int frame) { return uint32_t(frame * 1000 / 60); };
    const auto screen = [this] { return gl->ReadRgba(0, 0, 800, 600); };

    // Drawing every frame takes too long here: each target is reached by a
    // new show's fast-forward from the start, which lands where a drawn
    // play does (the test above).
    std::vector<uint32_t> times;
    for (const int frame : targets)
        times.push_back(frameTime(frame));
    times.push_back(kEnd);
    std::map<uint32_t, std::vector<uint8_t>> playedPictures;
    std::map<uint32_t, Blocks> playedBlocks;
    for (const uint32_t target : times) {
        PreviewSession& preview = NewSession();
        ASSERT_TRUE(preview.Start());
        preview.SeekTo(target);
        preview.Step(40, {});
        ASSERT_EQ(preview.Time(), target);
        playedPictures[target] = screen();
        playedBlocks[target] = CurrentBlocks();
    }
    EXPECT_TRUE(session->IsAtEnd());

    // Checkpoints from the seeks and from the time to spare while playing;
    // the show plays a little after each landing, off the render's frames.
    PreviewSession& preview = NewSession(60000, 2);
    ASSERT_TRUE(preview.Start());
    int64_t fastForwarded = 0;
    for (const uint32_t target : times) {
        preview.SeekTo(target);
        preview.Step(40, {});
        ASSERT_FALSE(preview.IsSeeking());
        ASSERT_EQ(preview.Time(), target);
        EXPECT_TRUE(SamePicture(screen(), playedPictures[target])) << "the picture at " << target << " ms";
        EXPECT_TRUE(SameBlocks(CurrentBlocks(), playedBlocks[target])) << "the blocks at " << target << " ms differ";
        // Going back, at most a second of show is played again.
        if (target < frameTime(targets.front())) {
            EXPECT_LE(preview.FramesFastForwarded() - fastForwarded, 60);
        }
        fastForwarded = preview.FramesFastForwarded();
        Steps(3, 50);
    }
    EXPECT_EQ(preview.BuildCount(), 1);
    EXPECT_GE(preview.CheckpointCount(), 16u);
}

TEST_F(PreviewTest, AReloadKeepsTheCheckpointsBeforeItsFirstChangeAndLandsWhereANewShowDoes)
{
    const auto script = [](const std::string& tempo, const std::string& at10, const std::string& sixty) {
        return ShowScript("Define SIXTY=" + sixty +
                          "\nDefinePattern 0 x.*.\n#0.0 Set scene.3.RUN\n#1.0 UsePattern 0\n" +
                          at10 + "SIXTY Set scene.3.dbl.1 2.5\n#65.0 Set scene.4.lng.0 1\n" + tempo);
    };
    constexpr uint32_t kPlayhead = 70 * kMsPerPosition;
    const auto framesBetween = [](uint32_t from, uint32_t to) { return int64_t(to - from) * 60 / 1000; };
    const auto screen = [this] { return gl->ReadRgba(0, 0, 800, 600); };
    const auto setPicture = [&](Colour colour) {
        ASSERT_TRUE(WriteSolidPng(Picture("pic1"), colour));
        fs::last_write_time(Picture("pic1"), fs::file_time_type::clock::now() + std::chrono::seconds(++changes));
    };
    const std::string tempo = "LoadMusic track.wav 125 4\n";
    const std::string at10 = "#10.0 Set scene.9.lng.2 7\n";
    const std::string edited10 = "#10.0 Set scene.9.lng.2 8\n";
    // The edits in turn: a define moves an event from #60 to #58, an event at
    // #10 changes, the tempo changes, a picture changes.
    const std::vector<std::string> scripts = {script(tempo, at10, "#58.0"), script(tempo, edited10, "#58.0"),
                                              script("LoadMusic track.wav 126 4\n", edited10, "#58.0")};
    const std::vector<uint32_t> validUpTo = {58 * kMsPerPosition, 10 * kMsPerPosition, 0, 0};

    // What a new show of each shows at the playhead; one session at a time,
    // since the frame clock is the session's.
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<Blocks> blocks;
    for (size_t edit = 0; edit < validUpTo.size(); ++edit) {
        if (edit == 3)
            setPicture(kBlack);
        WriteScript(scripts[std::min<size_t>(edit, 2)]);
        PreviewSession& preview = NewSession();
        ASSERT_TRUE(preview.Start());
        preview.SeekTo(kPlayhead);
        preview.Step(0, {});
        ASSERT_EQ(preview.Time(), kPlayhead);
        pictures.push_back(screen());
        blocks.push_back(CurrentBlocks());
    }
    setPicture(kRed);

    WriteScript(script(tempo, at10, "#60.0"));
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    preview.SeekTo(kPlayhead);
    preview.Step(0, {});
    for (size_t edit = 0; edit < validUpTo.size(); ++edit) {
        const int64_t before = preview.FramesFastForwarded();
        if (edit == 3)
            setPicture(kBlack);
        else
            WriteScript(scripts[edit]);
        preview.Step(0, {});
        ASSERT_EQ(preview.BuildCount(), int32_t(edit) + 2);
        EXPECT_FALSE(preview.IsSeeking());
        EXPECT_EQ(preview.Time(), kPlayhead);
        EXPECT_TRUE(SamePicture(screen(), pictures[edit])) << "edit " << edit;
        EXPECT_TRUE(SameBlocks(CurrentBlocks(), blocks[edit])) << "edit " << edit;
        // From the last checkpoint before the change, a second apart.
        const int64_t played = preview.FramesFastForwarded() - before;
        EXPECT_GE(played, framesBetween(validUpTo[edit], kPlayhead) - 60) << "edit " << edit;
        EXPECT_LE(played, framesBetween(validUpTo[edit], kPlayhead) + 60) << "edit " << edit;
    }
}

TEST_F(PreviewTest, ALongSeekGoesOnOverStepsWithItsProgressInTheTitle)
{
    WriteScript(kRedShow);
    // A frame per Step.
    PreviewSession& preview = NewSession(0);
    ASSERT_TRUE(preview.Start());
    Steps(2, 100);
    preview.SeekTo(1000);
    EXPECT_TRUE(preview.IsSeeking());
    EXPECT_FALSE(AudioChannelIsPlaying(preview.MusicHandle()));
    Steps(30, 100);
    EXPECT_TRUE(preview.IsSeeking());
    EXPECT_EQ(preview.Time(), 29 * 1000 / 60);
    EXPECT_NE(preview.Title().find("seeking #0.2  48%"), std::string::npos) << preview.Title();
    // Another seek meanwhile counts from where the first was going, and
    // fast-forwards on from the frames the first played.
    preview.Step(100, {PreviewAction::ForwardOne});
    int steps = 1;
    for (; preview.IsSeeking() && steps < 1000; ++steps)
        preview.Step(100, {});
    // 116 frames of 16 or 17 ms up to 1920, 30 of them played already, then
    // the landing.
    EXPECT_EQ(steps, 117 - 30);
    EXPECT_EQ(preview.Time(), kMsPerPosition);
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(kMsPerPosition));
    EXPECT_TRUE(AudioChannelIsPlaying(preview.MusicHandle()));
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
}

TEST_F(PreviewTest, SeeksGoByWholePositionsWithinTheShowAndHomeGoesToTheScriptStart)
{
    WriteScript(kRedShow + "Goto #3.0\nEnd #20.0\n");
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    Steps(1, 500);
    EXPECT_EQ(preview.Time(), 3 * kMsPerPosition + 500);

    preview.Step(0, {PreviewAction::ForwardOne});
    EXPECT_EQ(preview.Time(), 4 * kMsPerPosition);
    preview.Step(0, {PreviewAction::BackOne, PreviewAction::BackOne});
    EXPECT_EQ(preview.Time(), 2 * kMsPerPosition);
    preview.Step(0, {PreviewAction::BackEight});
    EXPECT_EQ(preview.Time(), 0u);
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), 0u);
    preview.Step(0, {PreviewAction::ForwardEight, PreviewAction::ForwardEight, PreviewAction::ForwardEight});
    EXPECT_EQ(preview.Time(), 20 * kMsPerPosition);
    EXPECT_EQ(preview.Title().find("fault"), std::string::npos);
    preview.Step(0, {PreviewAction::Home});
    EXPECT_EQ(preview.Time(), 3 * kMsPerPosition);
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(3 * kMsPerPosition));
    EXPECT_TRUE(ShowsColour(Middle(), kRed));

    // Six presses within one frame, through the window's messages: six
    // positions, one seek to the last, and no show built.
    PreviewKeys keys;
    for (int i = 0; i < 6; ++i) {
        PostMessageA(WM_KEYDOWN, VK_RIGHT, 0);
        PostMessageA(WM_KEYUP, VK_RIGHT, 0);
    }
    const int32_t builds = preview.BuildCount();
    EXPECT_FALSE(PumpPreviewMessages(preview, keys, objects->keyboard));
    EXPECT_TRUE(preview.Step(0, keys.Repeats(objects->keyboard)));
    EXPECT_EQ(preview.BuildCount(), builds);
    EXPECT_EQ(preview.Time(), 9 * kMsPerPosition);

    // A faulty script leaves the last good show, which seeks still move.
    WriteScript(kRedShow + "nonsense\n");
    preview.Step(0, {PreviewAction::ForwardOne});
    EXPECT_FALSE(preview.Faults().empty());
    EXPECT_EQ(preview.Time(), 10 * kMsPerPosition);
    // Nor is the faulty script built again each frame.
    const int32_t tried = preview.BuildCount();
    Steps(2, 0);
    EXPECT_EQ(preview.BuildCount(), tried);
}

TEST_F(PreviewTest, PauseHoldsPictureAndMusicAndTheEndHoldsTooUntilSpaceStartsOver)
{
    WriteScript(kRedShow + "End #2.0\n");
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    const uint32_t track = preview.MusicHandle();
    Steps(4, 100);

    preview.Step(100, {PreviewAction::TogglePause});
    EXPECT_TRUE(preview.IsPaused());
    EXPECT_FALSE(AudioChannelIsPlaying(track));
    Steps(5, 100);
    EXPECT_EQ(preview.Time(), 400u);
    EXPECT_TRUE(ShowsColour(Middle(), kRed));
    EXPECT_NE(preview.Title().find("paused"), std::string::npos);

    // Going home or seeking while paused moves the picture and the music and
    // stays paused; the new show draws its one frame.
    EXPECT_TRUE(preview.Step(100, {PreviewAction::Home}));
    EXPECT_EQ(preview.Time(), 0u);
    EXPECT_FALSE(preview.Step(100, {}));
    EXPECT_TRUE(preview.Step(100, {PreviewAction::ForwardOne}));
    EXPECT_EQ(preview.Time(), kMsPerPosition);
    EXPECT_EQ(AudioChannelPosition(track), MusicBytes(kMsPerPosition));
    EXPECT_FALSE(AudioChannelIsPlaying(track));

    preview.Step(100, {PreviewAction::TogglePause});
    EXPECT_FALSE(preview.IsPaused());
    EXPECT_TRUE(AudioChannelIsPlaying(track));
    EXPECT_EQ(preview.Time(), kMsPerPosition + 100);

    Steps(30, 100);
    EXPECT_TRUE(preview.IsAtEnd());
    EXPECT_FALSE(AudioChannelIsPlaying(track));
    const uint32_t end = preview.Time();
    EXPECT_GE(end, 2 * kMsPerPosition);
    Steps(3, 100);
    EXPECT_FALSE(preview.Step(100, {}));
    EXPECT_EQ(preview.Time(), end);
    EXPECT_NE(preview.Title().find("end"), std::string::npos);

    preview.Step(100, {PreviewAction::TogglePause});
    EXPECT_FALSE(preview.IsAtEnd());
    EXPECT_EQ(preview.Time(), 0u);
    EXPECT_TRUE(AudioChannelIsPlaying(track));
}

TEST_F(PreviewTest, TheStripLeavesTheShowAboveItAloneSeeksWhereClickedAndFollowsReloads)
{
    // The heart too: depth, polygon mode and sphere mapping.
    const std::string kBusyHeartShow = kBusyShow + "#0.0 Set scene.3.RUN\n";
    WriteScript(kBusyHeartShow);
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    // Past #1.0's first "*", which reveals the heart's one object.
    Steps(25, 100);
    // With no time passing and the random sequence where it was, the show
    // draws the same frame again.
    auto frame = [&](const std::vector<PreviewAction>& actions) {
        CrtSeed(7);
        preview.Step(0, actions);
        return gl->ReadRgba(0, 0, 800, 600);
    };
    const std::vector<uint8_t> without = frame({});
    const std::vector<uint8_t> with = frame({PreviewAction::ToggleStrip});
    ASSERT_TRUE(preview.IsStripShown());
    const std::vector<uint8_t> next = frame({});
    // Rows from the bottom up: the strip's first, then the show's.
    const size_t stripBytes = size_t(TimelineStrip::HeightFor(600)) * 800 * 4;
    auto above = [&](const std::vector<uint8_t>& pixels) {
        return std::vector<uint8_t>(pixels.begin() + std::ptrdiff_t(stripBytes), pixels.end());
    };
    EXPECT_TRUE(above(with) == above(without));
    EXPECT_TRUE(above(next) == above(without)) << "the strip changed how the next frame draws";
    EXPECT_FALSE(std::equal(with.begin(), with.begin() + std::ptrdiff_t(stripBytes), without.begin()));

    // Paused, no frame is played: the clock, the random sequence and the
    // picture stay, and nothing new is there to show.
    frame({PreviewAction::ToggleStrip});
    const std::vector<uint8_t> held = frame({PreviewAction::TogglePause});
    const uint32_t time = preview.Time();
    CrtSeed(7);
    const int32_t nextRandom = CrtRand();
    CrtSeed(7);
    EXPECT_FALSE(preview.Step(100, {}));
    EXPECT_FALSE(preview.Step(100, {}));
    EXPECT_EQ(CrtRand(), nextRandom);
    EXPECT_EQ(preview.Time(), time);
    EXPECT_TRUE(gl->ReadRgba(0, 0, 800, 600) == held);
    // The strip comes and goes over the picture held.
    EXPECT_TRUE(preview.Step(100, {PreviewAction::ToggleStrip}));
    const std::vector<uint8_t> heldWithStrip = gl->ReadRgba(0, 0, 800, 600);
    EXPECT_TRUE(above(heldWithStrip) == above(held));
    EXPECT_TRUE(std::equal(with.begin(), with.begin() + std::ptrdiff_t(stripBytes), heldWithStrip.begin()));
    EXPECT_TRUE(preview.Step(100, {PreviewAction::ToggleStrip}));
    EXPECT_TRUE(gl->ReadRgba(0, 0, 800, 600) == held);
    preview.Step(0, {PreviewAction::ToggleStrip});

    // A click lands exactly on the time under it, and only on the lanes.
    const TimelineStrip& strip = preview.Strip();
    const int32_t y = 600 - TimelineStrip::HeightFor(600) / 2;
    EXPECT_FALSE(preview.ClickAt(400, 300));
    EXPECT_FALSE(preview.ClickAt(20, y)); // the lane names
    const std::optional<uint32_t> target = strip.TimeAt(500, y);
    ASSERT_TRUE(target.has_value());
    const TimeSpan shown = TimelineStrip::WindowAround(preview.Time(), kMsPerPosition);
    EXPECT_NEAR(double(*target), shown.start + (shown.end - shown.start) * (500.5 - 92.0) / (794.0 - 92.0), 1.0);
    const int32_t builds = preview.BuildCount();
    EXPECT_TRUE(preview.ClickAt(500, y));
    preview.Step(0, {});
    ASSERT_FALSE(preview.IsSeeking());
    EXPECT_EQ(preview.BuildCount(), builds) << "a click only moves the show";
    EXPECT_EQ(preview.Time(), *target);
    EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(*target));
    // The picture the seek lands on has the strip too, as the next one has;
    // still paused, it holds there.
    const std::vector<uint8_t> landed = gl->ReadRgba(0, 0, 800, 600);
    EXPECT_FALSE(preview.Step(100, {}));
    EXPECT_EQ(preview.Time(), *target);
    EXPECT_TRUE(preview.Step(100, {PreviewAction::ToggleStrip}));
    EXPECT_TRUE(above(gl->ReadRgba(0, 0, 800, 600)) == above(landed)) << "the picture held is not the one landed on";
    const std::vector<uint8_t> afterLanding = frame({PreviewAction::ToggleStrip, PreviewAction::TogglePause});
    EXPECT_TRUE(std::equal(landed.begin(), landed.begin() + std::ptrdiff_t(stripBytes), afterLanding.begin()));

    // A line moved in the script moves in the strip with the reload.
    ASSERT_EQ(strip.Lanes().effects.size(), 8u);
    const EffectLane& slot2 = strip.Lanes().effects[1];
    ASSERT_EQ(slot2.tracks.size(), 2u);
    ASSERT_EQ(slot2.tracks[1].triggers.size(), 1u);
    EXPECT_EQ(slot2.tracks[1].triggers[0], 5 * kMsPerPosition);
    std::string moved = kBusyHeartShow;
    moved.replace(moved.find("#5.0 Trig"), 4, "#7.0");
    WriteScript(moved);
    preview.Step(0, {});
    ASSERT_EQ(strip.Lanes().effects[1].tracks[1].triggers.size(), 1u);
    EXPECT_EQ(strip.Lanes().effects[1].tracks[1].triggers[0], 7 * kMsPerPosition);
}

TEST_F(PreviewTest, ALoopGoesBackExactlyToItsStartWithTheMusicEachTimeAndShowsOnTheStrip)
{
    WriteScript(kBusyShow + "#0.0 Set scene.3.RUN\n");
    PreviewSession& preview = NewSession();
    ASSERT_TRUE(preview.Start());
    const auto screen = [this] { return gl->ReadRgba(0, 0, 800, 600); };
    constexpr uint32_t kStart = 2 * kMsPerPosition + 7;
    constexpr uint32_t kEnd = 3 * kMsPerPosition;
    preview.SeekTo(kStart);
    preview.Step(0, {});
    const std::vector<uint8_t> startPicture = screen();
    const Blocks startBlocks = CurrentBlocks();
    // An end before the start is no loop.
    preview.Apply(PreviewAction::LoopEnd);
    EXPECT_FALSE(preview.LoopEnd().has_value());
    preview.Apply(PreviewAction::LoopStart);
    preview.SeekTo(kEnd);
    preview.Step(0, {});
    preview.Apply(PreviewAction::LoopEnd);
    EXPECT_EQ(preview.LoopStart(), kStart);
    EXPECT_EQ(preview.LoopEnd(), kEnd);

    for (int round = 0; round < 2; ++round) {
        uint32_t last = preview.Time();
        int steps = 0;
        for (; preview.Time() >= last && steps < 100; ++steps) {
            last = preview.Time();
            preview.Step(100, {});
        }
        EXPECT_EQ(preview.Time(), kStart);
        EXPECT_TRUE(SamePicture(screen(), startPicture)) << "round " << round;
        EXPECT_TRUE(SameBlocks(CurrentBlocks(), startBlocks)) << "round " << round;
        EXPECT_EQ(AudioChannelPosition(preview.MusicHandle()), MusicBytes(kStart));
        EXPECT_TRUE(AudioChannelIsPlaying(preview.MusicHandle()));
        EXPECT_EQ(steps, round == 0 ? 1 : int(kEnd - kStart) / 100 + 1);
    }

    // Both ends on the strip, in orange; none once the loop is cleared.
    const int32_t stripRows = TimelineStrip::HeightFor(600);
    const auto orangeOnStrip = [&] {
        const std::vector<uint8_t> pixels = gl->ReadRgba(0, 0, 800, stripRows);
        int count = 0;
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
            const bool orange = pixels[i] == 255 && std::abs(pixels[i + 1] - 153) <= 1 && std::abs(pixels[i + 2] - 26) <= 1;
            count += orange ? 1 : 0;
        }
        return count;
    };
    preview.Step(0, {PreviewAction::ToggleStrip});
    EXPECT_GE(orangeOnStrip(), 2 * 2 * stripRows);
    preview.Step(0, {PreviewAction::ClearLoop});
    EXPECT_FALSE(preview.LoopStart().has_value());
    EXPECT_EQ(orangeOnStrip(), 0);
}

TEST(PreviewKeys, EveryPressCountsSeeksRepeatWhileHeldAndTheOtherKeysActOncePerPress)
{
    ManualClock clock(1000);
    Keyboard keyboard;
    PreviewKeys keys;
    using Actions = std::vector<PreviewAction>;
    // As the pump does: the press is read before the keyboard sees it.
    Actions pressed;
    auto message = [&](uint32_t type, int32_t key) {
        if (const std::optional<PreviewAction> action = keys.Press({type, uintptr_t(key), 0}, keyboard))
            pressed.push_back(*action);
        if (type == WM_KEYDOWN)
            keyboard.KeyDown(key);
        else
            keyboard.KeyUp(key);
    };

    message(WM_KEYDOWN, VK_RIGHT);
    message(WM_KEYDOWN, VK_SPACE);
    // The system's own repeats of a key held down are no presses.
    message(WM_KEYDOWN, VK_RIGHT);
    message(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(pressed, (Actions{PreviewAction::ForwardOne, PreviewAction::TogglePause}));
    EXPECT_EQ(keys.Repeats(keyboard), Actions{});
    clock.Advance(400);
    EXPECT_EQ(keys.Repeats(keyboard), Actions{PreviewAction::ForwardOne});
    EXPECT_EQ(keys.Repeats(keyboard), Actions{});
    message(WM_KEYUP, VK_RIGHT);
    message(WM_KEYUP, VK_SPACE);
    clock.Advance(400);
    EXPECT_EQ(keys.Repeats(keyboard), Actions{});

    // Taps between two looks each count, in order, and none is a repeat.
    pressed.clear();
    for (const int32_t key :
         {VK_NEXT, VK_NEXT, VK_F1 + 4, VK_HOME, VK_PRIOR, VK_LEFT, VK_TAB, VK_ESCAPE, 300, int32_t('I'), int32_t('O'),
          VK_BACK}) {
        message(WM_KEYDOWN, key);
        message(WM_KEYUP, key);
    }
    message(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(pressed, (Actions{PreviewAction::ForwardEight, PreviewAction::ForwardEight, PreviewAction::Reload,
                                PreviewAction::Home, PreviewAction::BackEight, PreviewAction::BackOne,
                                PreviewAction::ToggleStrip, PreviewAction::LoopStart, PreviewAction::LoopEnd,
                                PreviewAction::ClearLoop, PreviewAction::BackOne}));
    EXPECT_EQ(keys.Repeats(keyboard), Actions{});
    clock.Advance(400);
    EXPECT_EQ(keys.Repeats(keyboard), Actions{PreviewAction::BackOne});
}

TEST(PreviewTitle, TimeReadsAsPositionAndBeatAtTheScriptTempo)
{
    EXPECT_EQ(ShowTimeText(0, 1920, 480), "#0.0");
    EXPECT_EQ(ShowTimeText(3 * 1920 + 2 * 480 + 479, 1920, 480), "#3.2");
    EXPECT_EQ(ShowTimeText(3 * 1920 + 4 * 480, 1920, 480), "#4.0");
    // 130 beats per minute, three to a position: 461 ms each.
    EXPECT_EQ(ShowTimeText(1383 + 922, 1383, 461), "#1.2");
    EXPECT_EQ(ShowTimeText(4294967295u, 1920, 480), "#2236962.0");
    EXPECT_EQ(ShowTimeText(4294967295u, 1000, 250), "#4294967.1");
    EXPECT_EQ(ShowTimeText(100, 0, 0), "#?");
}

TEST(FileWatch, SeesFilesChangeAppearAndGo)
{
    const fs::path dir = fs::temp_directory_path() / ("preview_watch_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string kept = (dir / "kept.txt").string();
    const std::string later = (dir / "later.txt").string();
    std::ofstream(kept) << "one";

    FileWatch watch;
    watch.Watch(kept);
    watch.Watch(later);
    watch.Watch(kept);
    EXPECT_EQ(watch.Count(), 2u);
    EXPECT_EQ(watch.ChangedFile(), "");

    fs::last_write_time(kept, fs::last_write_time(kept) + std::chrono::seconds(1));
    EXPECT_EQ(watch.ChangedFile(), kept);
    watch.Clear();
    watch.Watch(kept);
    watch.Watch(later);
    EXPECT_EQ(watch.ChangedFile(), "");

    std::ofstream(later) << "now";
    EXPECT_EQ(watch.ChangedFile(), later);
    watch.Clear();
    watch.Watch(kept);
    fs::remove(kept);
    EXPECT_EQ(watch.ChangedFile(), kept);
    fs::remove_all(dir);
}
