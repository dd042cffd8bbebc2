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
#include <fstream>
#include <iterator>
#include <string>
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

constexpr uint32_t kMsPerPosition = 1920;

// A session on the show whose checkpoints reach the end, as after the preview
// has stood paused for a little while; "today" (0) is a session that keeps
// none, whose every seek and reload builds a show and fast-forwards it from
// the script's start, as the preview did before checkpoints.
std::unique_ptr<PreviewSession> FilledSession(FILE* report, bool checkpoints)
{
    auto session = std::make_unique<PreviewSession>(report, 1u << 30, 50, checkpoints ? 50 : 0);
    if (!session->Start())
        return nullptr;
    if (checkpoints) {
        session->Apply(PreviewAction::TogglePause);
        while (!session->CheckpointsComplete())
            session->Step(16, {});
        session->Apply(PreviewAction::TogglePause);
    }
    return session;
}

// Steps until the seek under way lands and its picture is finished; returns
// the seconds since `start`.
double Landed(PreviewSession& session, std::chrono::steady_clock::time_point start)
{
    while (session.IsSeeking())
        session.Step(16, {});
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void ReportCheckpoints(benchmark::State& state, const PreviewSession& session)
{
    state.counters["checkpoints"] = double(session.CheckpointCount());
    state.counters["checkpoint_MB"] = double(session.CheckpointBytes()) / (1024.0 * 1024.0);
    if (session.CheckpointCount() > 0)
        state.counters["kB_per_checkpoint"] = double(session.CheckpointBytes()) / 1024.0 / session.CheckpointCount();
}

// Home, then six Page Downs within one frame to #48.0 (the drop), or a click
// on the strip at #70: the time until the landed picture is drawn. Today
// (0) a show is built for the seek and fast-forwarded from the start; with
// checkpoints (1) the show moves from the latest one before the target.
void BM_SeekFromHome(benchmark::State& state, bool pageDowns)
{
    WithPreviewContext(state, [&] {
        FILE* quiet = std::fopen("/dev/null", "w");
        const bool checkpoints = state.range(0) != 0;
        std::unique_ptr<PreviewSession> session = FilledSession(quiet ? quiet : stderr, checkpoints);
        if (!session) {
            state.SkipWithError("the show has faults");
            return;
        }
        for (auto _ : state) {
            session->Step(16, {PreviewAction::Home});
            const auto start = std::chrono::steady_clock::now();
            if (!checkpoints) {
                // One session at a time: the frame clock is the session's.
                session.reset();
                session = FilledSession(quiet ? quiet : stderr, false);
                session->SeekTo(0);
            }
            if (pageDowns)
                session->Step(16, std::vector<PreviewAction>(6, PreviewAction::ForwardEight));
            else
                session->SeekTo(70 * kMsPerPosition);
            state.SetIterationTime(Landed(*session, start));
        }
        ReportCheckpoints(state, *session);
        session.reset();
        if (quiet)
            std::fclose(quiet);
    });
}
BENCHMARK_CAPTURE(BM_SeekFromHome, page_downs_to_48, true)
    ->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SeekFromHome, click_at_70, false)
    ->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A reload with the playhead at #70, on a copy of the show: after the event
// at #68.0 moved a beat later (its checkpoints up to #68.0 hold), or after a
// picture was written again (none holds). Today (0) the reload builds a show
// and fast-forwards it from the start.
void BM_ReloadAtSeventy(benchmark::State& state, bool movedEvent)
{
    const char* chosen = std::getenv("DEMO_SHOW_DIR");
    const std::filesystem::path source = chosen ? chosen : DEMO_SOURCE_DIR;
    const std::filesystem::path copy = std::filesystem::temp_directory_path() / "preview_bench_show";
    std::error_code error;
    std::filesystem::remove_all(copy, error);
    std::filesystem::create_directories(copy, error);
    std::filesystem::copy(source / "data", copy / "data", std::filesystem::copy_options::recursive, error);
    if (error) {
        state.SkipWithError("cannot copy the show");
        return;
    }
    setenv("DEMO_SHOW_DIR", copy.c_str(), 1);
    const std::string line = "#68.0 Set scene.@pics.lng.0 @none";
    const std::string moved = "#68.1 Set scene.@pics.lng.0 @none";
    WithPreviewContext(state, [&] {
        FILE* quiet = std::fopen("/dev/null", "w");
        const bool checkpoints = state.range(0) != 0;
        std::unique_ptr<PreviewSession> session = FilledSession(quiet ? quiet : stderr, checkpoints);
        std::string script;
        {
            std::ifstream in(PreviewShow::kScriptPath, std::ios::binary);
            script.assign(std::istreambuf_iterator<char>(in), {});
        }
        if (!session || script.find(line) == std::string::npos) {
            state.SkipWithError("the show has faults, or no event at #68.0 to move");
            return;
        }
        int changes = 0;
        for (auto _ : state) {
            session->SeekTo(70 * kMsPerPosition);
            Landed(*session, std::chrono::steady_clock::now());
            std::string next = script;
            if (movedEvent && changes % 2 == 0)
                next.replace(next.find(line), line.size(), moved);
            const std::string path = movedEvent ? PreviewShow::kScriptPath : "data/png/pic1.png";
            if (!movedEvent) {
                std::ifstream in(path, std::ios::binary);
                next.assign(std::istreambuf_iterator<char>(in), {});
            }
            std::ofstream(path, std::ios::binary) << next;
            std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() +
                                                       std::chrono::seconds(++changes));
            const auto start = std::chrono::steady_clock::now();
            const int64_t before = checkpoints ? session->FramesFastForwarded() : 0;
            if (checkpoints) {
                session->Step(16, {PreviewAction::Reload});
            } else {
                session.reset();
                session = FilledSession(quiet ? quiet : stderr, false);
                session->SeekTo(70 * kMsPerPosition);
            }
            state.SetIterationTime(Landed(*session, start));
            // The frames fast-forwarded to land: the reload's own share.
            state.counters["frames_played"] = double(session->FramesFastForwarded() - before);
        }
        ReportCheckpoints(state, *session);
        session.reset();
        if (quiet)
            std::fclose(quiet);
    });
    unsetenv("DEMO_SHOW_DIR");
    std::filesystem::remove_all(copy, error);
}
BENCHMARK_CAPTURE(BM_ReloadAtSeventy, moved_event, true)
    ->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReloadAtSeventy, replaced_picture, false)
    ->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

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

