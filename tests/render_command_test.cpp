// demotool render run as the user runs it, on the bundled show.
#include "tests/support/ShellRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
        {"--at 1s --jobs 2" + png, "--jobs splits a video"},
        {"--video a.mp4 --jobs 0", "--jobs"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Render(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.out.find(c.reason), std::string::npos) << c.arguments << "\n" << run.out;
    }
    const ToolRun join = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --video " + (dir / "a.mp4").string());
    EXPECT_EQ(join.status, 2);
    EXPECT_NE(join.out.find("and the pieces"), std::string::npos) << join.out;
    const ToolRun missing = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --video " +
                                               (dir / "a.mp4").string() + " " + (dir / "none.mp4").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("no piece"), std::string::npos) << missing.out;
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

// The bundled show with a "Goto" line added to its script, the rest of data/
// linked from the repository.
fs::path ShowWithGoto(const fs::path& dir, const std::string& time)
{
    const fs::path show = dir / "goto-show";
    fs::create_directories(show / "data");
    for (const char* sub : {"png", "3ds", "music"})
        fs::create_directory_symlink(fs::path(DEMO_SOURCE_DIR) / "data" / sub, show / "data" / sub);
    std::ofstream script(show / "data" / "script.txt");
    script << std::ifstream(fs::path(DEMO_SOURCE_DIR) / "data" / "script.txt").rdbuf() << "Goto " << time << "\n";
    return show;
}

TEST_F(RenderCommand, GotoStartsAsTheScriptsGotoByteForByte)
{
    const std::string range = " --size 320x240 --fps 20 --to '#48.1'";
    ASSERT_EQ(Render("--frames " + (dir / "a").string() + range + " --goto '#48.0'").status, 0);
    const fs::path show = ShowWithGoto(dir, "#48.0");
    const ToolRun scripted = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " render --dir " + show.string() +
                                                " --frames " + (dir / "b").string() + range);
    ASSERT_EQ(scripted.status, 0) << scripted.out;
    // 480 ms at 20 frames per second, from #48.0 itself.
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
    // Started afresh, the heart lacks the pieces that the whole show has
    // revealed by then.
    ASSERT_EQ(Render("--png " + (dir / "whole.png").string() + " --size 320x240 --fps 20 --at '#48.0'").status, 0);
    EXPECT_NE(ReadBytes(dir / "whole.png"), ReadBytes(dir / "a" / "frame-000000.png"));
}

TEST_F(RenderCommand, MissingDirectoriesOfTheOutputAreMade)
{
    const fs::path png = dir / "new" / "deeper" / "x.png";
    const ToolRun run = Render("--png " + png.string() + " --size 320x240 --goto '#48.0' --at '#48.0'");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_GT(fs::file_size(png), 1000u);
}

std::vector<fs::path> Frames(const fs::path& directory)
{
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(directory))
        frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
}

TEST_F(RenderCommand, PiecesAndAtGiveTheFramesOfTheWholeRange)
{
    // Frames lie every 50 ms from the show's start, so the range's first is
    // at 92200 (#48.0 is 92160) and its last at 93100. The cut falls between
    // frames: the first piece ends with 92450, the second starts with 92500.
    const std::string settings = " --size 320x240 --fps 20";
    ASSERT_EQ(Render("--frames " + (dir / "whole").string() + settings + " --from '#48.0' --to '#48.2'").status, 0);
    ASSERT_EQ(Render("--frames " + (dir / "p1").string() + settings + " --from '#48.0' --to =92470").status, 0);
    ASSERT_EQ(Render("--frames " + (dir / "p2").string() + settings + " --from =92470 --to '#48.2'").status, 0);
    const std::vector<fs::path> whole = Frames(dir / "whole");
    std::vector<fs::path> pieces = Frames(dir / "p1");
    EXPECT_EQ(pieces.size(), 6u);
    for (const fs::path& frame : Frames(dir / "p2"))
        pieces.push_back(frame);
    ASSERT_EQ(pieces.size(), whole.size());
    EXPECT_EQ(whole.size(), 19u);
    for (size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(ReadBytes(whole[i]), ReadBytes(pieces[i])) << whole[i].filename() << " and " << pieces[i];

    ASSERT_EQ(Render("--png " + (dir / "at.png").string() + settings + " --at =92560").status, 0);
    EXPECT_EQ(ReadBytes(dir / "at.png"), ReadBytes(dir / "whole" / "frame-000008.png"));
}

std::string Probe(const fs::path& video)
{
    return RunShellWithErrors("ffprobe -v error -show_entries stream=codec_name,width,height,pix_fmt,start_time -show_entries "
               "format=duration -of compact " +
               video.string())
        .out;
}

TEST_F(RenderCommand, VideoInTwoPiecesHasH264PicturesJoinedAndTheMusicAsAac)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    const fs::path video = dir / "part.mp4";
    const ToolRun run =
        Render("--video " + video.string() + " --size 320x240 --fps 25 --from '#48.0' --to =93160 --jobs 2");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string streams = Probe(video);
    // Both start together: nothing of the pieces' own music shifts the pictures.
    EXPECT_NE(streams.find("codec_name=h264|width=320|height=240|pix_fmt=yuv420p|start_time=0.000000"),
              std::string::npos)
        << streams;
    EXPECT_NE(streams.find("codec_name=aac|start_time=0.000000"), std::string::npos) << streams;
    // One second: 25 frames.
    EXPECT_NE(streams.find("duration=1.0"), std::string::npos) << streams;
    // Each piece starts with a key frame and nothing was encoded again: one
    // encoding of so short a video would have a single key frame.
    const std::string keys = RunShellWithErrors("ffprobe -v error -select_streams v -show_entries packet=pts_time,flags "
                                                "-of csv=p=0 " + video.string() + " | grep -c K").out;
    EXPECT_EQ(keys, "2\n");
    const std::string frames = RunShellWithErrors("ffprobe -v error -select_streams v -show_entries packet=pts_time "
                                                  "-of csv=p=0 " + video.string() + " | grep -c .").out;
    EXPECT_EQ(frames, "25\n");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"part.mp4"});
}

} // namespace
