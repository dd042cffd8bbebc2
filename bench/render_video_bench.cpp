// End-to-end offline rendering to MP4 at 800x600, 60 frames per second,
// against a baseline measured in the same run: blank frames piped through
// the same writer thread into the same encoder. "fps" is frames per second
// of wall time; "vs_blank" is the show's rate over the baseline's. The show
// is drawn with and without multisampling, and encoded with each preset.
#include "offline/FrameWriter.h"
#include "offline/OfflineShow.h"
#include "tools/demotool/render/VideoEncoder.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kFps = 60;
constexpr int32_t kFrames = 300;

double g_blankFps = 0.0;

VideoSettings Settings(const std::string& ffmpeg, VideoQuality quality = VideoQuality::Draft)
{
    return VideoSettings{ffmpeg, "/tmp/render_video_bench_" + std::to_string(getpid()) + ".mp4", kWidth, kHeight,
                         kFps, quality};
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_BlankFramesToEncoder(benchmark::State& state)
{
    const std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) {
        state.SkipWithError("no ffmpeg on PATH");
        return;
    }
    std::signal(SIGPIPE, SIG_IGN);
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        VideoEncoder encoder(Settings(ffmpeg));
        std::string error;
        if (!encoder.Start(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        FrameWriter writer(encoder, kWidth, kHeight);
        RawFrame frame;
        for (int32_t i = 0; i < kFrames; ++i) {
            frame.width = kWidth;
            frame.height = kHeight;
            frame.repeats = 1;
            frame.rgba.assign(size_t(kWidth) * kHeight * 4, 0);
            writer.Submit(frame);
        }
        const bool ok = writer.Finish(error) && encoder.Close(error);
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
        if (!ok)
            state.SkipWithError(error.c_str());
    }
    g_blankFps = kFrames / seconds;
    state.counters["fps"] = g_blankFps;
}

// The show from the given position (1920 ms each) on, with the given samples
// and preset.
void BM_ShowToVideo(benchmark::State& state)
{
    const std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty() || chdir(DEMO_SOURCE_DIR) != 0) {
        state.SkipWithError("no ffmpeg on PATH or no show");
        return;
    }
    std::signal(SIGPIPE, SIG_IGN);
    double seconds = 0.0;
    for (auto _ : state) {
        VideoEncoder encoder(Settings(ffmpeg, VideoQuality(state.range(2))));
        std::string error;
        if (!encoder.Start(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        OfflineSettings settings;
        settings.samples = int32_t(state.range(1));
        settings.width = kWidth;
        settings.height = kHeight;
        settings.framesPerSecond = kFps;
        OfflineShow show(settings, &encoder);
        if (!show.Open(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        show.StartAt(uint32_t(state.range(0)) * 1920);
        // Reading the show and its pictures is left out: frames only.
        const auto start = std::chrono::steady_clock::now();
        for (int32_t i = 0; i < kFrames; ++i)
            show.RenderFrame(true);
        const bool ok = show.Finish(error) && encoder.Close(error);
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
        if (!ok)
            state.SkipWithError(error.c_str());
    }
    const double fps = kFrames / seconds;
    state.counters["fps"] = fps;
    if (g_blankFps > 0.0)
        state.counters["vs_blank"] = fps / g_blankFps;
}

} // namespace

BENCHMARK(BM_BlankFramesToEncoder)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
// The drop (position 50, 96 s) has the static that is hard to encode.
constexpr int64_t kDraft = int64_t(VideoQuality::Draft);
BENCHMARK(BM_ShowToVideo)
    ->ArgNames({"position", "samples", "quality"})
    ->Args({13, 0, kDraft})
    ->Args({13, 4, kDraft})
    ->Args({50, 0, kDraft})
    ->Args({50, 4, kDraft})
    ->Args({50, 4, int64_t(VideoQuality::High)})
    ->Args({50, 4, int64_t(VideoQuality::Master)})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
