#include "demo/Timeline.h"
#include "offline/GoldenFrames.h"
#include "offline/OfflineShow.h"
#include "platform/AudioLayer.h"
#include "tools/demotool/Command.h"
#include "tools/demotool/CommandOptions.h"
#include "tools/demotool/render/RenderOptions.h"
#include "tools/demotool/render/RenderProgress.h"
#include "tools/demotool/render/RenderSetup.h"
#include "tools/demotool/render/SplitRender.h"
#include "tools/demotool/render/VideoEncoder.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const kUsage =
    "usage: demotool render (--video FILE.mp4 | --frames DIR | --at TIME --png FILE | --golden DIR)\n"
    "                       [--goto TIME] [--from TIME] [--to TIME] [--fps N] [--size WxH]\n"
    "                       [--jobs N | --piece K/N]\n"
    "                       [--samples N] [--quality draft|high|master] [--with-intro] [--dir DIR]\n"
    "\n"
    "Plays the show off screen, one frame per frame, and writes what it draws. Music is not played.\n"
    "\n"
    "  --video FILE.mp4  H.264 video (yuv420p) with the music as AAC, in sync; needs ffmpeg\n"
    "  --frames DIR      numbered PNG files, frame-000000.png on (the directory is made if missing)\n"
    "  --at TIME --png FILE\n"
    "                    one frame: the first at or after TIME, exactly as the whole show draws it\n"
    "  --golden DIR      the reference frames of the golden-frame test (320x240, fixed times)\n"
    "  --from TIME       start with the first frame at or after TIME, exactly as the whole show has it\n"
    "                    there (default: the show's start); the frames before are played undrawn\n"
    "  --goto TIME       start the show at TIME as the script's \"Goto\" would: timeline and effects\n"
    "                    start afresh there (heart pieces due before stay hidden); --from and --at\n"
    "                    then count from it\n"
    "  --to TIME         stop there (default: the script's \"End\", else the music's length)\n"
    "  --fps N           frames per second, 1 to 240 (default 60)\n"
    "  --size WxH        4:3 (default 800x600) or 16:9, which is padded centred with black\n"
    "  --jobs N          a video in N pieces rendered by N processes at once, each fast-forwarded to\n"
    "                    its piece, joined without encoding again; the music is added once\n"
    "  --piece K/N       only the K-th (from 1) of the N pieces --jobs N would cut the range into, for\n"
    "                    a batch system (GNU parallel's {#}, Slurm's array task); join them with\n"
    "                    'demotool join --pieces N'. A K that holds no frame writes nothing\n"
    "  --samples N       multisampling: 0 (none), 2, 4, 8 or 16 samples, fewer where the driver offers\n"
    "                    fewer (default 4, as the player asks for)\n"
    "  --quality Q       how the video is encoded: draft (default: quick, about 10 Mbit/s at 800x600),\n"
    "                    high (slower, for watching) or master (lossless RGB: the drawn frames exactly,\n"
    "                    to keep or to upload where it is encoded again; large)\n"
    "  --with-intro      the disclaimer sequence first; the music then starts after it\n"
    "  --dir DIR         the show's directory, holding data/ (default: the current directory)\n"
    "\n"
    "TIME: #P.B (position and beat at the script's tempo; quote it in a shell), =MS (milliseconds) or\n"
    "12.5s (seconds). Frames lie every 1/N second from the show's start (the script's, or --goto).\n"
    "A progress line appears when standard output is a terminal. Two renders of the same range give\n"
    "byte-identical PNG files. Pieces of one range rendered apart (each one's --to the next one's\n"
    "--from, on one machine or many) join into its video with 'demotool join'.\n";

int Fail(const std::string& message)
{
    return FailCommand("render", message);
}

// Numbered pictures in a directory.
class FrameFiles final : public FrameSink {
public:
    explicit FrameFiles(std::string directory) : dir(std::move(directory)) {}
    bool WriteFrame(const RgbFrame& frame, std::string& error) override
    {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(next++));
        return WritePngRgb(dir + name, frame, error);
    }

private:
    std::string dir;
    int64_t next = 0;
};

// Draws the range; captured frames go to the sink. Frames at or after `to`
// are not drawn; the script's end stops the render too.
bool PlayRange(OfflineShow& show, const RenderRange& range, int32_t fps, bool captureAll, std::string& error)
{
    RenderProgress progress(FrameCount(range, fps, show.GetTimeline().EndTime()));
    int64_t done = 0;
    while (show.NextFrameTime() < range.to) {
        const bool more = show.RenderFrame(captureAll);
        progress.Update(++done);
        if (!more)
            break;
    }
    progress.Done();
    if (!show.Finish(error))
        return false;
    return true;
}

int RenderVideo(const RenderOptions& options, OfflineShow& show, VideoEncoder& encoder)
{
    std::string error;
    RenderRange range;
    if (!ResolveRange(options, show, range, error))
        return Fail(error);
    const int64_t introFrames = show.FramesSubmitted();
    if (!StartRange(show, range, range.from, error))
        return Fail(error);
    // The first frame may lie up to a frame after --from: the music starts with it.
    const uint32_t musicFrom = show.NextFrameTime();
    if (!PlayRange(show, range, options.fps, true, error))
        return Fail(error);
    if (!encoder.Close(error))
        return Fail(error);
    const int64_t frames = show.FramesSubmitted();
    const double duration = double(frames) / options.fps;
    const double delayMs = double(introFrames) * 1000.0 / options.fps;
    if (show.MusicPath().empty())
        std::fprintf(stderr, "demotool render: no music could be opened; the video is silent\n");
    if (!encoder.Mux(show.MusicPath(), musicFrom, delayMs, duration, error))
        return Fail(error);
    std::printf("%lld frames (%s) written to %s\n", static_cast<long long>(frames), FormatMs(uint32_t(duration * 1000)).c_str(),
                options.output.c_str());
    return 0;
}

int RenderFrames(const RenderOptions& options, OfflineShow& show)
{
    std::string error;
    RenderRange range;
    if (!ResolveRange(options, show, range, error))
        return Fail(error);
    if (!StartRange(show, range, range.from, error))
        return Fail(error);
    if (!PlayRange(show, range, options.fps, true, error))
        return Fail(error);
    std::printf("%lld frames written to %s\n", static_cast<long long>(show.FramesSubmitted()), options.output.c_str());
    return 0;
}

int RenderOnePicture(const RenderOptions& options, OfflineShow& show, KeepLastFrame& keep)
{
    std::string error;
    const Timeline& timeline = show.GetTimeline();
    RenderRange range;
    if (!ResolveStart(options, timeline, range, error))
        return Fail(error);
    uint32_t at = 0;
    if (!ResolveRenderTime(options.at, timeline, at, error))
        return Fail(error);
    if (at < range.from)
        return Fail("--at " + FormatMs(at) + " lies before the start " + FormatMs(range.from));
    if (!StartRange(show, range, at, error))
        return Fail(error);
    const uint32_t frameTime = show.NextFrameTime();
    show.RenderFrame(true);
    if (!show.Finish(error))
        return Fail(error);
    if (keep.count == 0)
        return Fail("the frame was not read back");
    if (!WritePngRgb(options.output, keep.frame, error))
        return Fail(error);
    std::printf("frame at %s written to %s\n", FormatMs(frameTime).c_str(), options.output.c_str());
    return 0;
}

int RenderGolden(const RenderOptions& options)
{
    for (const GoldenFrame& golden : GoldenFrames()) {
        RgbFrame frame;
        std::string error;
        if (!RenderGoldenFrame(golden, frame, error))
            return Fail(std::string(golden.name) + ": " + error);
        const std::string path = options.output + "/" + golden.name + ".png";
        if (!WritePngRgb(path, frame, error))
            return Fail(error);
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

int RunRender(int argc, char** argv)
{
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error))
        return RefuseArguments("render", error, kUsage);
    if (options.joinCount > 0)
        return RefuseArguments("render", "--pieces N is join's: render one piece with --piece K/N", kUsage);
    if (!PrepareOutput(options, error))
        return Fail(error);
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0)
        return Fail("cannot enter " + options.dir);
    // A dead encoder must show up as a write error, not end the process.
    std::signal(SIGPIPE, SIG_IGN);

    if (options.mode == RenderMode::Golden)
        return RenderGolden(options);

    if (options.piece > 0) {
        bool empty = false;
        if (!NarrowToPiece(options, empty, error))
            return Fail(error);
        if (empty) {
            std::printf("piece %d/%d holds no frame of the range: nothing written\n", options.piece,
                        options.pieceCount);
            return 0;
        }
    }
    if (options.mode == RenderMode::Video && options.jobs > 1)
        return RenderVideoInPieces(options, error) ? 0 : Fail(error);
    const OfflineSettings settings = ShowSettingsOf(options);

    std::unique_ptr<FrameSink> sink;
    VideoEncoder* encoder = nullptr;
    KeepLastFrame* keep = nullptr;
    if (options.mode == RenderMode::Video) {
        auto video = std::make_unique<VideoEncoder>(
            VideoSettings{options.ffmpeg, options.output, options.width, options.height, options.fps, options.quality});
        if (!video->Start(error))
            return Fail(error);
        encoder = video.get();
        sink = std::move(video);
    } else if (options.mode == RenderMode::Frames) {
        sink = std::make_unique<FrameFiles>(options.output);
    } else {
        auto last = std::make_unique<KeepLastFrame>();
        keep = last.get();
        sink = std::move(last);
    }

    // The show goes before the sink it writes into.
    auto show = std::make_unique<OfflineShow>(settings, sink.get());
    if (!show->Open(error))
        return Fail(error);
    int status = 0;
    if (options.mode == RenderMode::Video)
        status = RenderVideo(options, *show, *encoder);
    else if (options.mode == RenderMode::Frames)
        status = RenderFrames(options, *show);
    else
        status = RenderOnePicture(options, *show, *keep);
    show.reset();
    return status;
}

const Command kRender("render", "render the show off screen to a video, PNG frames or one picture", RunRender, kUsage);

} // namespace
