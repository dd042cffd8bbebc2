// demotool render run as the user runs it, on the bundled show.
#include "tests/support/ShellRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Standard error joins standard output: the refusals are read from it.
ToolRun RunShellWithErrors(const std::string& command)
{
    return RunShell(command + " 2>&1");
}

ToolRun Render(const std::string& arguments)
{
    return RunShellWithErrors(std::string(DEMOTOOL_PATH) + " render --dir " + DEMO_SOURCE_DIR + " " + arguments);
}

std::vector<char> ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("render_command_test_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir;
};

TEST_F(RenderCommand, RefusesBadArgumentsWithAReason)
{
    const std::string png = " --png " + (dir / "x.png").string();
    const struct {
        std::string arguments;
        const char* reason;
    } cases[] = {
        {"--at 12" + png, "a time is"},
        {"--at 1.5.2s" + png, "a time is"},
        {"--at '#x.1'" + png, "a time is"},
        {"--at 1s --size 800x500" + png, "4:3 or 16:9"},
        {"--at 1s --size 801x601" + png, "4:3 or 16:9"},
        {"--at 1s --fps 0" + png, "--fps"},
        {"--at 1s --fps 1000" + png, "--fps"},
        {png, "--at and --png"},
        {"--at 1s", "give an output"},
        {"--video a.mp4 --frames b", "one output"},
        {"--at 1s --bogus 3" + png, "unknown option"},
        {"--at 1s --to 2s" + png, "--to"},
        {"--at", "needs a value"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Render(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.out.find(c.reason), std::string::npos) << c.arguments << "\n" << run.out;
    }
}

TEST_F(RenderCommand, MissingScriptIsAnErrorThatNamesIt)
{
    const fs::path empty = dir / "empty";
    fs::create_directories(empty);
    const ToolRun run = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " render --dir " + empty.string() + " --at 1s --png " +
                            (dir / "x.png").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("data/script.txt"), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(dir / "x.png"));
}

TEST_F(RenderCommand, ARangeOutsideTheShowIsAnError)
{
    const ToolRun late = Render("--frames " + (dir / "f").string() + " --from '#81.0'");
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.out.find("not before the show's end"), std::string::npos) << late.out;

    const ToolRun empty = Render("--frames " + (dir / "f").string() + " --from 10s --to 10s");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("the range is empty"), std::string::npos) << empty.out;

    const ToolRun before = Render("--png " + (dir / "x.png").string() + " --from 10s --at 9s");
    EXPECT_EQ(before.status, 1);
    EXPECT_NE(before.out.find("lies before the start"), std::string::npos) << before.out;
    EXPECT_TRUE(fs::is_empty(dir / "f"));
}

TEST_F(RenderCommand, UnwritableOutputIsAnErrorBeforeAnyRendering)
{
    std::ofstream(dir / "file") << "x";
    const ToolRun png = Render("--at 1s --png " + (dir / "file" / "x.png").string());
    EXPECT_EQ(png.status, 1);
    EXPECT_NE(png.out.find("cannot write"), std::string::npos) << png.out;

    const ToolRun frames = Render("--frames " + (dir / "file" / "frames").string());
    EXPECT_EQ(frames.status, 1);
    EXPECT_NE(frames.out.find("directory"), std::string::npos) << frames.out;

    const ToolRun video = Render("--video " + dir.string());
    EXPECT_EQ(video.status, 1);
    EXPECT_NE(video.out.find("is a directory"), std::string::npos) << video.out;
}

TEST_F(RenderCommand, MissingFfmpegIsAnErrorThatSaysWhatToDo)
{
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    const ToolRun run = RunShellWithErrors("PATH=" + bin.string() + " " + DEMOTOOL_PATH + " render --dir " + DEMO_SOURCE_DIR +
                            " --video " + (dir / "x.mp4").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ffmpeg is not on PATH"), std::string::npos) << run.out;
}

TEST_F(RenderCommand, TwoRendersOfARangeGiveIdenticalFiles)
{
    const std::string range = " --size 320x240 --fps 20 --from '#48.0' --to '#48.1'";
    ASSERT_EQ(Render("--frames " + (dir / "a").string() + range).status, 0);
    ASSERT_EQ(Render("--frames " + (dir / "b").string() + range).status, 0);
    // 480 ms at 20 frames per second.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir / "a")) {
        ++files;
        const fs::path twin = dir / "b" / entry.path().filename();
        ASSERT_TRUE(fs::exists(twin)) << twin;
        EXPECT_EQ(ReadBytes(entry.path()), ReadBytes(twin)) << entry.path().filename();
    }
    EXPECT_EQ(files, 10);
    EXPECT_TRUE(fs::exists(dir / "a" / "frame-000009.png"));
    EXPECT_NE(ReadBytes(dir / "a" / "frame-000000.png"), ReadBytes(dir / "a" / "frame-000009.png"));
}

TEST_F(RenderCommand, MissingDirectoriesOfTheOutputAreMade)
{
    const fs::path png = dir / "new" / "deeper" / "x.png";
    const ToolRun run = Render("--png " + png.string() + " --size 320x240 --at '#48.0' --from '#48.0'");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_GT(fs::file_size(png), 1000u);
}

TEST_F(RenderCommand, AtRendersTheSameFrameAsTheRange)
{
    // The tenth frame of the range above lies at #48.0 plus 450 ms.
    const std::string settings = " --size 320x240 --fps 20 --from '#48.0'";
    ASSERT_EQ(Render("--frames " + (dir / "a").string() + settings + " --to '#48.1'").status, 0);
    ASSERT_EQ(Render("--png " + (dir / "at.png").string() + settings + " --at =92610").status, 0);
    EXPECT_EQ(ReadBytes(dir / "at.png"), ReadBytes(dir / "a" / "frame-000009.png"));
}

std::string Probe(const fs::path& video)
{
    return RunShellWithErrors("ffprobe -v error -show_entries stream=codec_name,width,height,pix_fmt -show_entries "
               "format=duration -of compact " +
               video.string())
        .out;
}

TEST_F(RenderCommand, VideoHasH264PicturesAndTheMusicAsAac)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    const fs::path video = dir / "part.mp4";
    const ToolRun run = Render("--video " + video.string() + " --size 320x240 --fps 25 --from '#48.0' --to =93160");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string streams = Probe(video);
    EXPECT_NE(streams.find("codec_name=h264|width=320|height=240|pix_fmt=yuv420p"), std::string::npos) << streams;
    EXPECT_NE(streams.find("codec_name=aac"), std::string::npos) << streams;
    // One second: 25 frames.
    EXPECT_NE(streams.find("duration=1.0"), std::string::npos) << streams;
    EXPECT_FALSE(fs::exists(video.string() + ".pictures.mp4"));
}

} // namespace
