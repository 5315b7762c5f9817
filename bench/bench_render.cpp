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

// Argument: the output size in percent of 640 x 480 (225: 1440 x 1080, the picture in a
// 1080p fullscreen window).
static void BM_renderFrame(benchmark::State& state)
{
    const int64_t percent = state.range(0);
    if (!initOffscreenGraphics(static_cast<int>(640 * percent / 100), static_cast<int>(480 * percent / 100))) {
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
BENCHMARK(BM_renderFrame)->Arg(100)->Arg(225)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
