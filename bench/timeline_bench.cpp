// Timeline::Advance over a full event table, and reading a long script.
#include "demo/Timeline.h"
#include "demo/TimelineHost.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {

std::atomic<long> g_allocations{0};

class NullHost final : public TimelineHost {
public:
    bool LoadImage(ImageRegistry*, const std::string&, const std::string&, int32_t) override { return true; }
    bool LoadMusic(const std::string&) override { return true; }
    void SetMusicPosition(uint32_t) override {}
    void ReportFault(const char*, int32_t, const std::string&, const std::string&) override { std::abort(); }
};

// 1000 events of every kind, all at the given time.
std::string FullTable(const std::string& time)
{
    std::string script = "DefinePattern 0 x.x.y...\n" + time + " UsePattern 0\n";
    for (int i = 0; i < 999; ++i) {
        const std::string slot = std::to_string(i % 6);
        switch (i % 4) {
        case 0: script += time + " Set scene." + slot + ".dbl." + std::to_string(i % 10) + " 0.5\n"; break;
        case 1: script += time + " Fade scene." + slot + ".dbl.1 from 0 to 1 time #1.0\n"; break;
        case 2: script += time + " Trig scene." + slot + ".bool.3 1\n"; break;
        default: script += time + " Set scene." + slot + ".RUN\n"; break;
        }
    }
    return script;
}

void MeasureAdvance(benchmark::State& state, const std::string& script, int warmUpFrames)
{
    static NullHost host;
    auto timeline = std::make_unique<Timeline>(host);
    if (!timeline->LoadFromMemory(script.data(), script.size(), nullptr) || timeline->EventCount() != 1000) {
        state.SkipWithError("script did not load");
        return;
    }
    timeline->Reset();
    for (int i = 0; i < warmUpFrames; ++i)
        timeline->Advance(16);

    const long before = g_allocations.load();
    for (auto _ : state) {
        timeline->Advance(16);
        benchmark::DoNotOptimize(timeline->Params(0));
    }
    const long allocations = g_allocations.load() - before;
    state.counters["allocations"] = static_cast<double>(allocations);
    if (allocations != 0)
        state.SkipWithError("Advance allocated");
}

void BM_AdvanceAllPending(benchmark::State& state) { MeasureAdvance(state, FullTable("=2000000000"), 0); }

// Two frames fire everything and release the triggers, fades of one position
// end after 120 frames of 16 ms; the pattern keeps playing.
void BM_AdvanceAllDone(benchmark::State& state)
{
    MeasureAdvance(state, FullTable("=0"), 200);
}

void BM_LoadScript1000Lines(benchmark::State& state)
{
    NullHost host;
    std::string script = "Define LOGO=scene.2\nDefine _IMG_DIR=data/png/\n// the show\n";
    for (int i = 3; i < 1000; ++i) {
        const std::string time = "#" + std::to_string(i / 8) + "." + std::to_string(i % 4);
        switch (i % 5) {
        case 0: script += time + " Set LOGO.RUN\n"; break;
        case 1: script += time + " Fade scene.3.dbl.2 from 0.0 to 1.0 time #1.0\n"; break;
        case 2: script += time + " Trig scene.4.bool.3 1\n"; break;
        case 3: script += "// " + time + " a comment line of ordinary length\n"; break;
        default: script += time + " Set scene.1.lng.2 42\n"; break;
        }
    }
    long loadAllocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto timeline = std::make_unique<Timeline>(host);
        const long before = g_allocations.load();
        state.ResumeTiming();
        benchmark::DoNotOptimize(timeline->LoadFromMemory(script.data(), script.size(), nullptr));
        state.PauseTiming();
        loadAllocations = g_allocations.load() - before;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    // Reading may allocate; shown beside the zero of playback.
    state.counters["allocations"] = static_cast<double>(loadAllocations);
}

} // namespace

BENCHMARK(BM_AdvanceAllPending);
BENCHMARK(BM_AdvanceAllDone);
BENCHMARK(BM_LoadScript1000Lines)->Unit(benchmark::kMicrosecond);

// Counts every allocation of the process, so that the benchmarks above can
// show that a frame of playback makes none.
void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

// The pair above allocates with malloc, so free is the matching release.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
