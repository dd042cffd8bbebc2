// demotool render run as the user runs it, on the bundled show.
#include "demo/Timeline.h"
#include "tests/support/ShellRun.h"
#include "tools/demotool/render/RenderOptions.h"
#include "tools/demotool/render/VideoEncoder.h"
#include "tools/demotool/script/ScriptSession.h"

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

// The parser, called as the command calls it, argv[0] being the command.
bool Parse(std::vector<std::string> arguments, RenderOptions& options, std::string& error,
           std::vector<std::string>* others = nullptr)
{
    arguments.insert(arguments.begin(), "render");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    return ParseRenderOptions(int(argv.size()), argv.data(), options, error, others);
}

TEST(RenderOptionsTest, BadArgumentsAreRefusedWithAReason)
{
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--at", "12", "--png", "x.png"}, "a time is"},
        {{"--at", "1.5.2s", "--png", "x.png"}, "a time is"},
        {{"--at", "#x.1", "--png", "x.png"}, "a time is"},
        {{"--at", "1s", "--size", "800x500", "--png", "x.png"}, "4:3 or 16:9"},
        {{"--at", "1s", "--size", "801x601", "--png", "x.png"}, "4:3 or 16:9"},
        {{"--at", "1s", "--fps", "0", "--png", "x.png"}, "--fps"},
        {{"--at", "1s", "--fps", "1000", "--png", "x.png"}, "--fps"},
        {{"--png", "x.png"}, "--at and --png"},
        {{"--at", "1s"}, "give an output"},
        {{"--video", "a.mp4", "--frames", "b"}, "one output"},
        {{"--at", "1s", "--bogus", "3", "--png", "x.png"}, "unknown option"},
        {{"--at", "1s", "--to", "2s", "--png", "x.png"}, "--to"},
        {{"--at"}, "needs a value"},
        {{"--at", "1s", "--jobs", "2", "--png", "x.png"}, "--jobs splits a video"},
        {{"--video", "a.mp4", "--jobs", "0"}, "--jobs"},
        {{"--video", "a.mp4", "b.mp4"}, "unexpected argument b.mp4"},
        {{"--at", "1s", "--samples", "3", "--png", "x.png"}, "--samples 3: 0 (none), 2, 4, 8 or 16"},
        {{"--at", "1s", "--samples", "32", "--png", "x.png"}, "--samples 32"},
        {{"--video", "a.mp4", "--quality", "best"}, "--quality best: draft, high or master"},
        {{"--frames", "d", "--quality", "high"}, "--quality is how a video is encoded"},
        {{"--golden", "d", "--samples", "0"}, "leave out --samples"},
        {{"--video", "a.mp4", "--piece", "0/4"}, "--piece 0/4: K/N, the K-th of N pieces, K from 1 to N"},
        {{"--video", "a.mp4", "--piece", "5/4"}, "--piece 5/4: K/N"},
        {{"--video", "a.mp4", "--piece", "1/1001"}, "N up to 1000"},
        {{"--video", "a.mp4", "--piece", "2"}, "--piece 2: K/N"},
        {{"--video", "a.mp4", "--piece", "1/2", "--jobs", "2"}, "leave out --jobs"},
        {{"--at", "1s", "--png", "x.png", "--piece", "1/2"}, "--piece cuts a range: give --video or --frames"},
        {{"--video", "a.mp4", "--piece", "1/2", "--with-intro"}, "leave out --with-intro"},
        {{"--video", "a.mp4", "--pieces", "1001"}, "--pieces 1001: a whole number from 1 to 1000"},
    };
    for (const auto& c : cases) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.arguments, options, error)) << c.arguments[0];
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.arguments[0] << ": " << error;
    }
    // Join's pieces are the arguments that are no option.
    RenderOptions options;
    std::string error;
    std::vector<std::string> pieces;
    ASSERT_TRUE(Parse({"a.mp4", "--video", "all.mp4", "--with-intro", "b c.mp4"}, options, error, &pieces)) << error;
    EXPECT_EQ(pieces, (std::vector<std::string>{"a.mp4", "b c.mp4"}));
    EXPECT_TRUE(options.withIntro);
}

TEST(RenderOptionsTest, TimesPastTheClockAreRefusedNotWrapped)
{
    RecordingTimelineHost host;
    Timeline timeline(host);
    RenderTime time;
    std::string error;
    uint32_t ms = 0;
    ASSERT_TRUE(SetRenderTime(time, "--to", "4294967.29s", error));
    ASSERT_TRUE(ResolveRenderTime(time, timeline, ms, error)) << error;
    EXPECT_EQ(ms, 4294967290u);
    for (const char* text : {"4294967.3s", "5000000s", "#999999999"}) {
        ASSERT_TRUE(SetRenderTime(time, "--to", text, error)) << text;
        EXPECT_FALSE(ResolveRenderTime(time, timeline, ms, error)) << text << " gave " << ms;
        EXPECT_NE(error.find(std::string("--to ") + text + " lies past"), std::string::npos) << error;
    }
}

TEST_F(RenderCommand, WrongArgumentsGiveTheUsageAndStatus2)
{
    const ToolRun render = Render("--at 1s");
    EXPECT_EQ(render.status, 2);
    EXPECT_NE(render.out.find("--golden\n\nusage: demotool render"), std::string::npos) << render.out;
    const ToolRun join = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --video " + (dir / "a.mp4").string());
    EXPECT_EQ(join.status, 2);
    EXPECT_NE(join.out.find("and the pieces"), std::string::npos) << join.out;
    const ToolRun missing = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --video " +
                                               (dir / "a.mp4").string() + " " + (dir / "none.mp4").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("no piece"), std::string::npos) << missing.out;
    const struct {
        const char* command;
        const char* reason;
    } misplaced[] = {
        {" join --video a.mp4 --pieces 2 b.mp4", "one PATTERN, with {}"},
        {" join --video a.mp4 --pieces 2 'b{}.mp4' 'c{}.mp4'", "one PATTERN, with {}"},
        {" join --video a.mp4 --piece 1/2 b.mp4", "join them with --pieces N PATTERN"},
        {" render --video a.mp4 --pieces 2", "--pieces N is join's"},
    };
    for (const auto& m : misplaced) {
        const ToolRun run = RunShellWithErrors(std::string(DEMOTOOL_PATH) + m.command);
        EXPECT_EQ(run.status, 2) << m.command;
        EXPECT_NE(run.out.find(m.reason), std::string::npos) << run.out;
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

TEST_F(RenderCommand, UnwritableOutputIsAnErrorThatSaysWhy)
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

    // A disk that fills up while the frames are written: the file and why.
    const ToolRun picture = Render("--at 1s --size 320x240 --png /dev/full");
    EXPECT_EQ(picture.status, 1);
    EXPECT_NE(picture.out.find("cannot write /dev/full: No space left"), std::string::npos) << picture.out;
    fs::create_directories(dir / "full");
    fs::create_symlink("/dev/full", dir / "full" / "frame-000002.png");
    const ToolRun full = Render("--frames " + (dir / "full").string() + " --size 320x240 --goto '#48.0' --to '#48.1'");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.out.find("frame-000002.png: No space left"), std::string::npos) << full.out;
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
    // From --goto #48.0 (92160) frames lie every 50 ms: the range holds 20,
    // 92160 to 93110. One cut falls between frames (92480), one on a frame's
    // own time (92810), as --jobs cuts.
    const std::string settings = " --size 320x240 --fps 20 --goto '#48.0'";
    ASSERT_EQ(Render("--frames " + (dir / "whole").string() + settings + " --to '#48.2'").status, 0);
    const char* const cuts[][2] = {{"'#48.0'", "=92480"}, {"=92480", "=92810"}, {"=92810", "'#48.2'"}};
    std::vector<fs::path> pieces;
    for (size_t i = 0; i < std::size(cuts); ++i) {
        const auto& cut = cuts[i];
        const fs::path piece = dir / ("p" + std::to_string(i));
        ASSERT_EQ(Render("--frames " + piece.string() + settings + " --from " + cut[0] + " --to " + cut[1]).status, 0);
        for (const fs::path& frame : Frames(piece))
            pieces.push_back(frame);
    }
    EXPECT_EQ(Frames(dir / "p0").size(), 7u);
    EXPECT_EQ(Frames(dir / "p2").size(), 7u);
    const std::vector<fs::path> whole = Frames(dir / "whole");
    ASSERT_EQ(pieces.size(), whole.size());
    EXPECT_EQ(whole.size(), 20u);
    for (size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(ReadBytes(whole[i]), ReadBytes(pieces[i])) << whole[i].filename() << " and " << pieces[i];

    ASSERT_EQ(Render("--png " + (dir / "at.png").string() + settings + " --at =92560").status, 0);
    EXPECT_EQ(ReadBytes(dir / "at.png"), ReadBytes(dir / "whole" / "frame-000008.png"));
    // Multisampled by default: without, the same frame's edges differ.
    ASSERT_EQ(Render("--png " + (dir / "hard.png").string() + settings + " --at =92560 --samples 0").status, 0);
    EXPECT_NE(ReadBytes(dir / "hard.png"), ReadBytes(dir / "at.png"));
}

// A path as one shell word, whatever spaces or quotes it holds.
std::string Quoted(const fs::path& path)
{
    std::string word = "'";
    for (char c : path.string())
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

std::string Probe(const std::string& entries, const fs::path& video)
{
    return RunShellWithErrors("ffprobe -v error " + entries + " " + Quoted(video)).out;
}

TEST_F(RenderCommand, VideoInTwoPiecesHasH264PicturesJoinedAndTheMusicAsAac)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    // The concat list quotes the pieces' paths, which hold the output's.
    const fs::path video = dir / "it's a part.mp4";
    const ToolRun run =
        Render("--video " + Quoted(video) + " --size 320x240 --fps 25 --from '#48.0' --to =93160 --jobs 2");
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string streams = Probe("-show_entries stream=codec_name,width,height,pix_fmt,start_time "
                                      "-show_entries format=duration -of compact", video);
    // Both start together: nothing of the pieces' own music shifts the pictures.
    EXPECT_NE(streams.find("codec_name=h264|width=320|height=240|pix_fmt=yuv420p|start_time=0.000000"),
              std::string::npos)
        << streams;
    EXPECT_NE(streams.find("codec_name=aac|start_time=0.000000"), std::string::npos) << streams;
    // One second: 25 frames.
    EXPECT_NE(streams.find("duration=1.0"), std::string::npos) << streams;
    // Each piece starts with a key frame and nothing was encoded again: one
    // encoding of so short a video would have a single key frame.
    const std::string packets = "-select_streams v -show_entries packet=flags -of csv=p=0";
    EXPECT_EQ(RunShellWithErrors("ffprobe -v error " + packets + " " + Quoted(video) + " | grep -c K").out, "2\n");
    EXPECT_EQ(RunShellWithErrors("ffprobe -v error " + packets + " " + Quoted(video) + " | grep -c .").out, "25\n");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{video.filename().string()});
}

// The pictures' checksums, one line per frame, as ffmpeg decodes them to RGB.
std::string FrameSums(const std::string& input)
{
    return RunShellWithErrors("ffmpeg -v error " + input + " -map 0:v -pix_fmt rgb24 -f framemd5 - | grep -v '^#' | "
                              "awk -F', *' '{print $NF}'")
        .out;
}

TEST_F(RenderCommand, AMasterInPiecesDecodesToTheDrawnFrames)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    // Not the default samples: the pieces must be drawn as asked too.
    const std::string range = " --size 320x240 --fps 20 --goto '#48.0' --to '#48.2' --samples 0";
    const fs::path video = dir / "master.mp4";
    const ToolRun run = Render("--video " + video.string() + range + " --quality master --jobs 2");
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_EQ(Render("--frames " + (dir / "f").string() + range).status, 0);
    const std::string drawn = FrameSums("-framerate 20 -i " + (dir / "f" / "frame-%06d.png").string());
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\n'), 20) << drawn;
    EXPECT_EQ(FrameSums("-i " + video.string()), drawn);
    EXPECT_EQ(Probe("-select_streams v -show_entries stream=codec_name,pix_fmt -of csv=p=0", video), "h264,gbrp\n");

    // The same pieces from GNU parallel, as the README has it: -q keeps the
    // '#' of a time from starting a comment in the shell that runs a piece.
    if (RunShellWithErrors("command -v parallel").status != 0)
        GTEST_SKIP() << "GNU parallel is not installed";
    const ToolRun pieces = RunShellWithErrors("parallel -q -j 2 " + std::string(DEMOTOOL_PATH) + " render --dir " +
                                              DEMO_SOURCE_DIR + " --video " + (dir / "piece-{}.mp4").string() +
                                              " --piece {}/2 --quality master" + range + " ::: 1 2");
    ASSERT_EQ(pieces.status, 0) << pieces.out;
    const fs::path joined = dir / "joined.mp4";
    const ToolRun join = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --dir " + DEMO_SOURCE_DIR +
                                            " --video " + joined.string() + " --quality master" + range +
                                            " --pieces 2 " + Quoted(dir / "piece-{}.mp4"));
    ASSERT_EQ(join.status, 0) << join.out;
    EXPECT_NE(join.out.find("20 frames in 2 pieces"), std::string::npos) << join.out;
    EXPECT_EQ(FrameSums("-i " + joined.string()), drawn);
}

TEST_F(RenderCommand, APieceWithoutFramesWritesNothingAndJoinSkipsIt)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    // Two frames, 92160 and 92210, in three places: the first holds none.
    const std::string range = " --size 320x240 --fps 20 --goto '#48.0' --to =92260";
    for (int k = 1; k <= 3; ++k) {
        const std::string piece = (dir / ("p" + std::to_string(k) + ".mp4")).string();
        const ToolRun run = Render("--video " + piece + range + " --piece " + std::to_string(k) + "/3");
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out.find("holds no frame") != std::string::npos, k == 1) << run.out;
        EXPECT_EQ(fs::exists(piece), k != 1);
    }
    const fs::path joined = dir / "joined.mp4";
    const ToolRun join = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --dir " + DEMO_SOURCE_DIR +
                                            " --video " + joined.string() + range + " --pieces 3 " +
                                            (dir / "p{}.mp4").string());
    ASSERT_EQ(join.status, 0) << join.out;
    EXPECT_NE(join.out.find("2 frames in 2 pieces"), std::string::npos) << join.out;
    // A piece that the range needs is missing: named, not skipped.
    fs::remove(dir / "p3.mp4");
    const ToolRun missing = RunShellWithErrors(std::string(DEMOTOOL_PATH) + " join --dir " + DEMO_SOURCE_DIR +
                                               " --video " + joined.string() + range + " --pieces 3 " +
                                               (dir / "p{}.mp4").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("no piece " + (dir / "p3.mp4").string()), std::string::npos) << missing.out;
}

// The Slurm scripts run under an sbatch that runs each job at once, the
// array's tasks one after the other, with what Slurm sets for them.
TEST_F(RenderCommand, SlurmScriptsRenderEachPieceOfTheArrayThenJoinThem)
{
    const fs::path bin = dir / "bin";
    const fs::path log = dir / "log";
    fs::create_directories(bin);
    std::ofstream(bin / "demotool") << "#!/bin/sh\necho \"demotool $*\" >> " << log.string() << "\n";
    std::ofstream(bin / "sbatch") << "#!/bin/sh\necho \"sbatch $*\" >> " << log.string() << "\n"
                                  << "n=\nwhile case $1 in --*) true;; *) false;; esac; do\n"
                                  << "  case $1 in --array=1-*) n=${1#--array=1-};; esac; shift\ndone\n"
                                  << "if [ -z \"$n\" ]; then bash \"$@\" >/dev/null || exit 1; echo 43; exit; fi\n"
                                  << "k=1; while [ $k -le $n ]; do\n"
                                  << "  SLURM_ARRAY_TASK_ID=$k SLURM_ARRAY_TASK_COUNT=$n bash \"$@\" || exit 1\n"
                                  << "  k=$((k + 1))\ndone\necho '42;cluster'\n";
    for (const char* name : {"demotool", "sbatch"})
        fs::permissions(bin / name, fs::perms::owner_all);
    const std::string scripts = std::string(DEMO_SOURCE_DIR) + "/scripts/batch";
    const std::string pieces = (dir / "pieces").string(), out = (dir / "show.mp4").string();
    const ToolRun run = RunShellWithErrors("PATH=" + bin.string() + ":$PATH " + scripts + "/slurm-submit.sh 3 " +
                                           pieces + " " + out + " --from '#40.0' --size 320x240");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "render array 42, join job 43: " + out + " once both are done\n");
    const std::string options = " --from #40.0 --size 320x240\n";
    std::string expected = "sbatch --parsable --array=1-3 " + scripts + "/slurm-render.sh " + pieces + options;
    for (const char* k : {"1", "2", "3"})
        expected += "demotool render --video " + pieces + "/piece-" + k + ".mp4 --piece " + k + "/3" + options;
    expected += "sbatch --parsable --dependency=afterok:42 " + scripts + "/slurm-join.sh 3 " + pieces + " " + out +
                options + "demotool join --video " + out + " --pieces 3 " + pieces + "/piece-{}.mp4" + options;
    std::ifstream file(log);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), expected);
}

TEST_F(RenderCommand, AFailedJoinKeepsThePiecesAndJoinRefusesPiecesThatDoNotFit)
{
    if (RunShellWithErrors("command -v ffprobe").status != 0)
        GTEST_SKIP() << "ffprobe is not installed";
    // An ffmpeg that encodes but cannot join, as on a disk that fills up.
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "ffmpeg") << "#!/bin/sh\ncase \"$*\" in *concat*) exit 1;; esac\nexec " << FindFfmpeg()
                                  << " \"$@\"\n";
    fs::permissions(bin / "ffmpeg", fs::perms::owner_all);
    const std::string range = " --size 320x240 --goto '#48.0' --to '#48.2'";
    const ToolRun run = RunShellWithErrors("PATH=" + bin.string() + ":$PATH " + DEMOTOOL_PATH + " render --dir " +
                                           DEMO_SOURCE_DIR + " --video " + (dir / "v.mp4").string() + range +
                                           " --fps 25 --jobs 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("kept for 'demotool join'"), std::string::npos) << run.out;
    const std::string a = (dir / "v.mp4.piece-0.mp4").string(), b = (dir / "v.mp4.piece-1.mp4").string();
    ASSERT_TRUE(fs::exists(a) && fs::exists(b)) << run.out;

    const std::string join = std::string(DEMOTOOL_PATH) + " join --dir " + DEMO_SOURCE_DIR + " --video " +
                             (dir / "j.mp4").string() + range;
    const struct {
        std::string arguments;
        std::string reason;
    } misfits[] = {
        {" --fps 30 " + a + " " + b, "the piece " + a + " is 320x240 at 25/1 frames per second"},
        {" --fps 25 --quality high " + a + " " + b,
         "the piece " + a + " is 320x240 at 25/1 frames per second in draft quality, the range 320x240 at 25/1 "
         "frames per second in high quality"},
        {" --fps 25 " + a, "fewer than the 24 of the range"},
        {" --fps 25 " + a + " " + b + " " + b, "the pieces up to " + b + " hold 36 frames, more than"},
    };
    for (const auto& misfit : misfits) {
        const ToolRun refused = RunShellWithErrors(join + misfit.arguments);
        EXPECT_EQ(refused.status, 1) << misfit.arguments;
        EXPECT_NE(refused.out.find(misfit.reason), std::string::npos) << refused.out;
        EXPECT_FALSE(fs::exists(dir / "j.mp4"));
    }
    const ToolRun joined = RunShellWithErrors(join + " --fps 25 " + a + " " + b);
    ASSERT_EQ(joined.status, 0) << joined.out;
    EXPECT_EQ(Probe("-select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0",
                    dir / "j.mp4"), "24\n");
}

} // namespace
