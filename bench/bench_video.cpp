// bench_video.cpp -- what turning one drawn frame into 4:2:0 Y'CbCr costs, at 1x and 2.25x.
#include <vector>

#include <benchmark/benchmark.h>

#include "offscreen.h"
#include "render.h"
#include "scene.h"
#include "yuv420.h"

// Argument: the output width in pixels (640 or 1440); the height keeps 4:3.
static void BM_convertToYuv420(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    if (!initOffscreenGraphics(width, width * 3 / 4)) {
        state.SkipWithError("no offscreen target");
        return;
    }
    initShapes();
    initTimings();
    animate(20000); // Every group and a text line on screen
    composeDrawList();
    renderFrame();
    const RenderTarget& frame = offscreenTarget();
    std::vector<unsigned char> yuv(yuv420Size(frame.width, frame.height));
    for (auto _ : state) {
        convertToYuv420(frame, yuv.data());
        benchmark::DoNotOptimize(yuv.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.width) * frame.height * 4);
}
BENCHMARK(BM_convertToYuv420)->Arg(640)->Arg(1440)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
