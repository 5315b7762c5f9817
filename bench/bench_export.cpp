// bench_export.cpp -- the whole show exported by the real capture tool, as a user runs it:
// 38 s at 60 fps, 640 x 480, to a new .y4m file and to a pipe. Reports the wall time and
// how many times faster than the show itself that is.
#include <chrono>
#include <cstdio>   // Required for: remove()
#include <cstdlib>  // Required for: system()
#include <string>
#include <unistd.h> // Required for: getpid()

#include <benchmark/benchmark.h>

static const double SHOW_SECONDS = 38.0;

// Runs command once per iteration, timed by the wall clock; removeAfter is deleted after
// each run, outside the timing.
static void runExport(benchmark::State& state, const std::string& command, const std::string& removeAfter)
{
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (!removeAfter.empty())
            std::remove(removeAfter.c_str());
        if (status != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.SetIterationTime(elapsed.count());
        seconds += elapsed.count();
    }
    state.counters["times_real_time"] = SHOW_SECONDS * static_cast<double>(state.iterations()) / seconds;
}

static std::string scratchFile()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/bench-export-" + std::to_string(getpid()) + ".y4m";
}

static void BM_exportToY4mFile(benchmark::State& state)
{
    const std::string file = scratchFile();
    std::remove(file.c_str());
    runExport(state, std::string(SHOW_CAPTURE_PATH) + " video --quiet -o " + file, file);
}
BENCHMARK(BM_exportToY4mFile)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1)->Repetitions(3);

static void BM_exportToPipe(benchmark::State& state)
{
    runExport(state, std::string(SHOW_CAPTURE_PATH) + " video --quiet -o - > /dev/null", std::string());
}
BENCHMARK(BM_exportToPipe)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1)->Repetitions(3);

BENCHMARK_MAIN();
