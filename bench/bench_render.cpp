// bench_render.cpp -- what drawing one frame costs offscreen, at the show's size and larger.
#include <benchmark/benchmark.h>

#include "alloc_counter.h"
#include "offscreen.h"
#include "render.h"
#include "scene.h"

// Frames spread across the whole show, so every phase of the schedule is measured.
static SceneClock frameTime(int64_t n)
{
    return static_cast<SceneClock>((n * 997) % 38001);
}

// Argument: the output size in 640 x 480 steps.
static void BM_renderFrame(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    if (!initOffscreenGraphics(640 * scale, 480 * scale)) {
        state.SkipWithError("no offscreen target");
        return;
    }
    initShapes();
    initTimings();
    // A first frame lets the drawing core make what it keeps from frame to frame.
    animate(frameTime(0));
    composeDrawList();
    renderFrame();
    int64_t n = 0;
    const uint64_t before = allocationCount();
    for (auto _ : state) {
        state.PauseTiming();
        animate(frameTime(n++));
        composeDrawList();
        state.ResumeTiming();
        renderFrame();
    }
    state.counters["allocs/frame"] = static_cast<double>(allocationCount() - before) / n;
}
BENCHMARK(BM_renderFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
