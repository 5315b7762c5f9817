// bench_frame.cpp -- what one frame of the show costs: animate, composeDrawList.
#include <benchmark/benchmark.h>

#include "alloc_counter.h"
#include "scene.h"

// Frames spread across the whole show, so every phase of the schedule is measured.
static SceneClock frameTime(int64_t n)
{
    return static_cast<SceneClock>((n * 997) % 38001);
}

static void setUpScene()
{
    static bool done = false;
    if (done)
        return;
    initPalette();
    initGeometries();
    initShapes();
    initTimings();
    done = true;
}

static void BM_animate(benchmark::State& state)
{
    setUpScene();
    int64_t n = 0;
    const uint64_t before = allocationCount();
    for (auto _ : state)
        animate(frameTime(n++));
    state.counters["allocs/frame"] = static_cast<double>(allocationCount() - before) / n;
}
BENCHMARK(BM_animate);

static void BM_composeDrawList(benchmark::State& state)
{
    setUpScene();
    // The cost does not depend on the instant; one mid-show state serves.
    animate(24000);
    int64_t n = 0;
    const uint64_t before = allocationCount();
    for (auto _ : state) {
        composeDrawList();
        n++;
    }
    state.counters["allocs/frame"] = static_cast<double>(allocationCount() - before) / n;
}
BENCHMARK(BM_composeDrawList);

BENCHMARK_MAIN();
