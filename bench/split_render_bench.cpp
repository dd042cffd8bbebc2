// A 20-second range of the bundled show rendered to MP4 at 800x600, 60
// frames per second, by demotool itself in one process and in pieces by
// several (--jobs), with llvmpipe's thread count (LP_NUM_THREADS) given as
// the second argument; 0 leaves llvmpipe its default, one thread per core.
// "vs_one_job" is the wall time of one job with the default threads over
// this one's, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double g_oneJobSeconds = 0.0;

void BM_RenderTwentySeconds(benchmark::State& state)
{
    const int64_t jobs = state.range(0);
    const int64_t threads = state.range(1);
    if (threads > 0)
        setenv("LP_NUM_THREADS", std::to_string(threads).c_str(), 1);
    else
        unsetenv("LP_NUM_THREADS");
    const std::string command = std::string(DEMOTOOL_PATH) + " render --dir " + DEMO_SOURCE_DIR +
                                " --video /tmp/split_render_bench.mp4 --from 60s --to 80s --jobs " +
                                std::to_string(jobs) + " > /dev/null";
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the render failed");
            break;
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
    }
    unsetenv("LP_NUM_THREADS");
    std::remove("/tmp/split_render_bench.mp4");
    if (jobs == 1 && threads == 0)
        g_oneJobSeconds = seconds;
    if (seconds > 0.0 && g_oneJobSeconds > 0.0)
        state.counters["vs_one_job"] = g_oneJobSeconds / seconds;
    state.counters["fps"] = 1200.0 / seconds;
}

} // namespace

BENCHMARK(BM_RenderTwentySeconds)
    ->ArgNames({"jobs", "lp_threads"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({2, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
