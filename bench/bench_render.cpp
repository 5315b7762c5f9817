// bench_render.cpp -- what drawing one frame costs offscreen, at the show's size and larger,
// and how many heap allocations it makes once running.
#include <benchmark/benchmark.h>

#include "alloc_counter.h"
#include "offscreen.h"
#include "render.h"
#include "scene.h"

static const int WARM_UP_FRAMES = 64; // Lets caches and pools settle before counting

// Frames spread across the whole show, so every phase of the schedule is measured.
static SceneClock frameTime(int64_t n)
{
    return static_cast<SceneClock>((n * 997) % 38001);
}

// Argument: the output size in hundredths of 640 x 480 (100 is the show's size, 225 the
// picture in a 1080p fullscreen).
static void BM_renderFrame(benchmark::State& state)
{
    const int width = static_cast<int>(640 * state.range(0) / 100);
    const int height = static_cast<int>(480 * state.range(0) / 100);
    if (!initOffscreenGraphics(width, height)) {
        state.SkipWithError("no offscreen target");
        return;
    }
    initShapes();
    initTimings();
    int64_t n = 0;
    for (; n < WARM_UP_FRAMES; n++) {
        animate(frameTime(n));
        composeDrawList();
        renderFrame();
    }
    uint64_t allocations = 0;
    int64_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        animate(frameTime(n++));
        composeDrawList();
        const uint64_t before = allocationCount();
        state.ResumeTiming();
        renderFrame();
        allocations += allocationCount() - before;
        frames++;
    }
    // Everything drawn allocates through malloc in the end, cairo and pixman included.
    state.counters["allocs/frame"] = static_cast<double>(allocations) / (frames > 0 ? frames : 1);
}
BENCHMARK(BM_renderFrame)->Arg(100)->Arg(225)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
