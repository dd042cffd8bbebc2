#include "tools/demotool/script/ScriptSession.h"
#include "tools/demotool/timeline/MusicEnvelope.h"
#include "tools/demotool/timeline/TimelineLanes.h"
#include "tools/demotool/timeline/TimelinePainter.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <filesystem>
#include <string>

// The pieces of 'demotool timeline data/script.txt --png' on the bundled show,
// so a slow picture can be pinned on one of them.
namespace {

bool InShow(benchmark::State& state)
{
    std::error_code error;
    std::filesystem::current_path(DEMO_SOURCE_DIR, error);
    if (error || !std::filesystem::exists("data/script.txt")) {
        state.SkipWithError("no show: data/script.txt is missing");
        return false;
    }
    return true;
}

// Reading the script and laying out its lanes, pattern steps played through.
void BM_ReadScriptIntoLanes(benchmark::State& state)
{
    if (!InShow(state))
        return;
    for (auto _ : state) {
        ScriptSession session;
        session.Load("data/script.txt");
        benchmark::DoNotOptimize(BuildTimelineLanes(session));
    }
}
BENCHMARK(BM_ReadScriptIntoLanes)->Unit(benchmark::kMillisecond);

void BM_DecodeMusicEnvelope(benchmark::State& state)
{
    if (!InShow(state))
        return;
    for (auto _ : state) {
        MusicEnvelope music;
        std::string error;
        if (!music.Decode("data/music/cordel.ogg", error))
            state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_DecodeMusicEnvelope)->Unit(benchmark::kMillisecond);

// Painting the default 1600x600 picture and writing it out as PNG.
void BM_PaintAndWritePicture(benchmark::State& state)
{
    if (!InShow(state))
        return;
    ScriptSession session;
    session.Load("data/script.txt");
    const TimelineLanes lanes = BuildTimelineLanes(session);
    MusicEnvelope music;
    std::string error;
    music.Decode("data/music/cordel.ogg", error);
    const std::string png = (std::filesystem::temp_directory_path() / "timeline_view_bench.png").string();
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1600, 600);
        cairo_t* cr = cairo_create(surface);
        PaintTimeline(cr, lanes, &music,
                      LayOutTimeline(lanes, 1600, 600, 0, lanes.length, true, TimelineStyle::Picture));
        cairo_destroy(cr);
        cairo_surface_write_to_png(surface, png.c_str());
        cairo_surface_destroy(surface);
    }
    std::filesystem::remove(png);
}
BENCHMARK(BM_PaintAndWritePicture)->Unit(benchmark::kMillisecond);

} // namespace
