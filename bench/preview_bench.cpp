#include "app/ProcessObjects.h"
#include "platform/AudioLayer.h"
#include "platform/Memory.h"
#include "tools/demotool/preview/PreviewSession.h"
#include "tools/demotool/preview/PreviewShow.h"
#include "tools/demotool/preview/TimelineStrip.h"
#include "tools/demotool/script/ScriptSession.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Runs `measure` with what a preview needs around it: the show in the source
// tree's data/ (or DEMO_SHOW_DIR) as the working directory, an offscreen
// 800x600 context, silent music and the drawing helper.
template <typename Measure>
void WithPreviewContext(benchmark::State& state, Measure measure)
{
    const char* chosen = std::getenv("DEMO_SHOW_DIR");
    std::error_code error;
    std::filesystem::current_path(chosen ? chosen : DEMO_SOURCE_DIR, error);
    if (error || !std::filesystem::exists(PreviewShow::kScriptPath)) {
        state.SkipWithError("no show: data/script.txt is missing");
        return;
    }
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    AudioSetOutputOff(true);
    ProcessObjects objects;
    objects.Window().AllowMultisample(false);
    if (!objects.OpenWindow({"bench", 800, 600, 32, false})) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    measure();
}

// What one reload of the preview costs: a whole show built from the files
// (script, pictures, mesh, effects) and started, the one before it dropped.
void BM_RebuildShow(benchmark::State& state)
{
    WithPreviewContext(state, [&] {
        std::unique_ptr<PreviewShow> show;
        for (auto _ : state) {
            auto next = std::make_unique<PreviewShow>();
            if (!next->Build()) {
                state.SkipWithError("the show has faults");
                break;
            }
            next->StartAt(20000);
            show = std::move(next);
        }
    });
}
BENCHMARK(BM_RebuildShow)->Unit(benchmark::kMillisecond);

// What an author's session costs over time: 200 reloads (F5) with frames
// between them. Reports how much the heap in use and the resident memory
// grew from the first reload to the last, in kB; a leak of one picture per
// reload would show as hundreds of MB. Each reload fast-forwards from the
// script's start, and the first few dozen meet GL states the driver has not
// compiled yet: its cache of compiled states grows by about 18 MB and then
// holds. Those reloads come first and are reported on their own.
void BM_TwoHundredReloads(benchmark::State& state)
{
    constexpr int kWarmUpReloads = 50;
    const auto reload = [](PreviewSession& session, int count) {
        for (int i = 0; i < count; ++i) {
            session.Step(16, {PreviewAction::Reload});
            session.Step(16, {});
        }
    };
    WithPreviewContext(state, [&] {
        FILE* quiet = std::fopen("/dev/null", "w");
        for (auto _ : state) {
            PreviewSession session(quiet ? quiet : stderr, 1000000);
            if (!session.Start()) {
                state.SkipWithError("the show has faults");
                break;
            }
            const double heapAtStart = double(HeapBytesInUse()) / 1024.0;
            reload(session, kWarmUpReloads);
            const double heapBefore = double(HeapBytesInUse()) / 1024.0;
            const double residentBefore = double(ResidentBytes()) / 1024.0;
            reload(session, 200);
            state.counters["warm_up_heap_growth_kB"] = heapBefore - heapAtStart;
            state.counters["heap_growth_kB"] = double(HeapBytesInUse()) / 1024.0 - heapBefore;
            state.counters["rss_growth_kB"] = double(ResidentBytes()) / 1024.0 - residentBefore;
        }
        if (quiet)
            std::fclose(quiet);
    });
}
BENCHMARK(BM_TwoHundredReloads)->Unit(benchmark::kSecond)->Iterations(1);

// What the author waits for after Page Down from #40.0: a new show built and
// fast-forwarded from the start to #48.0 in slices between Steps, as the
// window loop runs them, until its picture is drawn. "steps" counts the Steps
// (the window answers between them).
void BM_SeekToTheDrop(benchmark::State& state)
{
    WithPreviewContext(state, [&] {
        FILE* quiet = std::fopen("/dev/null", "w");
        int64_t steps = 0;
        for (auto _ : state) {
            PreviewSession session(quiet ? quiet : stderr);
            session.Start();
            session.SeekTo(40 * 1920);
            while (session.IsSeeking())
                session.Step(16, {});
            const auto start = std::chrono::steady_clock::now();
            session.Step(16, {PreviewAction::ForwardEight});
            for (steps = 1; session.IsSeeking(); ++steps)
                session.Step(16, {});
            glFinish();
            state.SetIterationTime(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        state.counters["steps"] = double(steps);
        if (quiet)
            std::fclose(quiet);
    });
}
BENCHMARK(BM_SeekToTheDrop)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A preview of the show playing from #40, for `run`: what the strip is
// measured over.
void WithPreviewFromForty(benchmark::State& state, const std::function<void(PreviewSession&)>& run)
{
    WithPreviewContext(state, [&] {
        FILE* quiet = std::tmpfile();
        {
            PreviewSession session(quiet ? quiet : stderr, 1u << 30);
            if (session.Start()) {
                session.Step(0, std::vector<PreviewAction>(5, PreviewAction::ForwardEight));
                while (session.IsSeeking())
                    session.Step(0, {});
                run(session);
            } else {
                state.SkipWithError("the show has faults");
            }
        }
        if (quiet)
            std::fclose(quiet);
    });
}

// One preview frame, finished by the rasteriser, with the strip hidden (0) or
// shown (1). Other work on the machine moves these by more than the strip
// costs; the next benchmark measures it alone.
void BM_PreviewFrame(benchmark::State& state)
{
    WithPreviewFromForty(state, [&](PreviewSession& session) {
        if (state.range(0) != 0)
            session.Step(0, {PreviewAction::ToggleStrip});
        for (auto _ : state) {
            session.Step(16, {});
            glFinish();
        }
    });
}
BENCHMARK(BM_PreviewFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(300)->UseRealTime();

// The strip alone over each preview frame: the show is drawn and finished
// first, then the strip is drawn and finished and only that is timed. Its
// page turns every eight positions (about 15 s of show, some 900 frames), so
// a run this long includes repaints.
void BM_StripOverPreviewFrame(benchmark::State& state)
{
    WithPreviewFromForty(state, [&](PreviewSession& session) {
        ScriptSession script;
        script.Load("data/script.txt");
        TimelineStrip strip;
        strip.SetLanes(BuildTimelineLanes(script));
        for (auto _ : state) {
            session.Step(16, {});
            glFinish();
            const auto start = std::chrono::steady_clock::now();
            strip.Draw(800, 600, session.Time());
            glFinish();
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    });
}
BENCHMARK(BM_StripOverPreviewFrame)->Unit(benchmark::kMillisecond)->Iterations(2000)->UseManualTime();

// The frame in which the page turns or the script was reloaded: the strip
// painted anew with cairo and uploaded before it is drawn.
void BM_StripRepaintedOverPreviewFrame(benchmark::State& state)
{
    WithPreviewFromForty(state, [&](PreviewSession& session) {
        ScriptSession script;
        script.Load("data/script.txt");
        const TimelineLanes lanes = BuildTimelineLanes(script);
        TimelineStrip strip;
        for (auto _ : state) {
            session.Step(16, {});
            glFinish();
            const auto start = std::chrono::steady_clock::now();
            strip.SetLanes(lanes);
            strip.Draw(800, 600, session.Time());
            glFinish();
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    });
}
BENCHMARK(BM_StripRepaintedOverPreviewFrame)->Unit(benchmark::kMillisecond)->Iterations(200)->UseManualTime();

} // namespace

