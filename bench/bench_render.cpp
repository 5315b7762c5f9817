// bench_render.cpp -- what drawing one frame costs offscreen, at the show's size and larger.
#include <benchmark/benchmark.h>

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
    // cairo's own working memory comes from malloc inside the library, which an
    // operator new counter would not see; none is counted here.
    int64_t n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        animate(frameTime(n++));
        composeDrawList();
        state.ResumeTiming();
        renderFrame();
    }
}
BENCHMARK(BM_renderFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
