#include "app/GLWindow.h"
#include "app/ProcessObjects.h"
#include "effects/RenderHelper.h"
#include "platform/AudioLayer.h"
#include "resources/MCSounds.h"
#include "tools/demotool/PreviewSession.h"
#include "tools/demotool/PreviewShow.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// What one reload of the preview costs: a whole show built from the files
// (script, pictures, mesh, effects) and started, the one before it dropped.
// Runs on the show in the source tree's data/, or in DEMO_SHOW_DIR when set.
void BM_RebuildShow(benchmark::State& state)
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
        show.reset();
        InstallRenderHelper(nullptr);
        InstallMusic(nullptr);
    }
    window.Destroy();
    InstallGLWindow(nullptr);
}
BENCHMARK(BM_RebuildShow)->Unit(benchmark::kMillisecond);

// What the author waits for after Page Down from #40.0: a new show built and
// fast-forwarded from the start to #48.0 in slices between Steps, as the
// window loop runs them, until its picture is drawn. "steps" counts the Steps
// (the window answers between them).
void BM_SeekToTheDrop(benchmark::State& state)
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
        FILE* quiet = std::fopen("/dev/null", "w");
        int64_t steps = 0;
        for (auto _ : state) {
            PreviewSession session(quiet);
            session.Start();
            session.SeekTo(40 * 1920);
            while (session.IsSeeking())
                session.Step(16, {});
            steps = 0;
            const auto start = std::chrono::steady_clock::now();
            session.Step(16, {PreviewAction::ForwardEight});
            for (steps = 1; session.IsSeeking(); ++steps)
                session.Step(16, {});
            glFinish();
            state.SetIterationTime(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        state.counters["steps"] = double(steps);
        std::fclose(quiet);
        InstallRenderHelper(nullptr);
        InstallMusic(nullptr);
    }
    window.Destroy();
    InstallGLWindow(nullptr);
}
BENCHMARK(BM_SeekToTheDrop)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
