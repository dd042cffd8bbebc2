#include "app/GLWindow.h"
#include "app/ProcessObjects.h"
#include "effects/RenderHelper.h"
#include "platform/AudioLayer.h"
#include "resources/MCSounds.h"
#include "tools/demotool/PreviewSession.h"
#include "tools/demotool/ScriptSession.h"
#include "tools/demotool/TimelineStrip.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

// A context, the process-wide objects and a preview of the bundled show
// playing from #40 at 800x600, for `run`.
void WithPreview(benchmark::State& state, const std::function<void(PreviewSession&)>& run)
{
    std::error_code error;
    std::filesystem::current_path(DEMO_SOURCE_DIR, error);
    if (error || !std::filesystem::exists("data/script.txt")) {
        state.SkipWithError("no show: data/script.txt is missing");
        return;
    }
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    AudioSetOutputOff(true);
    GLWindow window;
    window.AllowMultisample(false);
    InstallGLWindow(&window);
    if (!window.Create({"bench", 800, 600, 32, false})) {
        state.SkipWithError("no OpenGL context");
        InstallGLWindow(nullptr);
        return;
    }
    {
        MCSounds music;
        InstallMusic(&music);
        RenderHelper helper;
        InstallRenderHelper(&helper);
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
        InstallRenderHelper(nullptr);
        InstallMusic(nullptr);
    }
    window.Destroy();
    InstallGLWindow(nullptr);
}

// One preview frame, finished by the rasteriser, with the strip hidden (0) or
// shown (1). Other work on the machine moves these by more than the strip
// costs; the next benchmark measures it alone.
void BM_PreviewFrame(benchmark::State& state)
{
    WithPreview(state, [&](PreviewSession& session) {
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
    WithPreview(state, [&](PreviewSession& session) {
        ScriptSession script;
        script.Load("data/script.txt");
        TimelineStrip strip;
        strip.SetLanes(BuildTimelineLanes(script.GetTimeline()));
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
    WithPreview(state, [&](PreviewSession& session) {
        ScriptSession script;
        script.Load("data/script.txt");
        const TimelineLanes lanes = BuildTimelineLanes(script.GetTimeline());
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
