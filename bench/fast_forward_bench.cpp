// Fast-forwarding against drawing, both measured in the same run on the
// bundled show at 800x600, 60 frames per second, all frames read from the
// same start. "ms_per_frame" is wall time per frame; "vs_drawn" is how many
// times faster skipping is than drawing the same frames.
#include "offline/GoldenFrames.h"
#include "offline/OfflineShow.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <string>

namespace {

constexpr int32_t kPosition = 1920;

double g_drawnMsPerFrame = 0.0;
double g_drawnPictureSeconds = 0.0;

OfflineSettings Settings()
{
    OfflineSettings settings;
    settings.width = 800;
    settings.height = 600;
    settings.framesPerSecond = 60;
    return settings;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Frames from the given position on (the drop is 48), without the time it
// takes to read the show.
void FramesFrom(benchmark::State& state, bool skipping)
{
    if (chdir(DEMO_SOURCE_DIR) != 0) {
        state.SkipWithError("no show");
        return;
    }
    const int32_t frames = 600;
    double seconds = 0.0;
    for (auto _ : state) {
        OfflineShow show(Settings(), nullptr);
        std::string error;
        if (!show.Open(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        show.StartAt(uint32_t(state.range(0) * kPosition));
        const auto start = std::chrono::steady_clock::now();
        for (int32_t i = 0; i < frames; ++i)
            skipping ? show.SkipFrame() : show.RenderFrame(false);
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
    }
    const double msPerFrame = seconds * 1000.0 / frames;
    state.counters["ms_per_frame"] = msPerFrame;
    if (!skipping)
        g_drawnMsPerFrame = msPerFrame;
    else if (msPerFrame > 0.0 && g_drawnMsPerFrame > 0.0)
        state.counters["vs_drawn"] = g_drawnMsPerFrame / msPerFrame;
}

void BM_DrawFrames(benchmark::State& state)
{
    FramesFrom(state, false);
}

void BM_SkipFrames(benchmark::State& state)
{
    FramesFrom(state, true);
}

// One picture at 150 s, as "demotool render --at 150s --png" makes it: the
// show opened, played from its start and the frame read back; every frame
// before it drawn, or skipped.
void PictureAt150s(benchmark::State& state, bool skipping)
{
    if (chdir(DEMO_SOURCE_DIR) != 0) {
        state.SkipWithError("no show");
        return;
    }
    const uint32_t at = 150000;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        KeepLastFrame keep;
        OfflineShow show(Settings(), &keep);
        std::string error;
        if (!show.Open(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        if (skipping)
            show.FastForwardTo(at);
        while (show.NextFrameTime() < at)
            show.RenderFrame(false);
        show.RenderFrame(true);
        if (!show.Finish(error) || keep.count != 1) {
            state.SkipWithError("no picture");
            return;
        }
        seconds = Seconds(start);
        state.SetIterationTime(seconds);
    }
    if (!skipping)
        g_drawnPictureSeconds = seconds;
    else if (seconds > 0.0 && g_drawnPictureSeconds > 0.0)
        state.counters["vs_drawn"] = g_drawnPictureSeconds / seconds;
}

void BM_PictureAt150sDrawingEveryFrame(benchmark::State& state)
{
    PictureAt150s(state, false);
}

void BM_PictureAt150sFastForwarded(benchmark::State& state)
{
    PictureAt150s(state, true);
}

} // namespace

BENCHMARK(BM_DrawFrames)->Arg(48)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkipFrames)->Arg(48)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
// The first takes minutes: filter it out (--benchmark_filter) when only the
// per-frame costs are wanted.
BENCHMARK(BM_PictureAt150sDrawingEveryFrame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureAt150sFastForwarded)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
