// video_command.cpp -- show-capture video: frames at a fixed rate, to PNGs or a video stream.
#include "video_command.h"

#include <csignal>  // Required for: sigaction(), signal(), raise()
#include <cstdio>   // Required for: fprintf()
#include <unistd.h> // Required for: isatty()

#include "cli_checks.h"
#include "frame_pipeline.h"
#include "frame_schedule.h"
#include "frame_size.h"
#include "offscreen.h"
#include "progress_bar.h"
#include "render.h"
#include "scene.h"
#include "video_output.h"

static const int EXIT_FAILED = 1; // Drawing or writing failed part way
static const int EXIT_USAGE = 2;  // The request cannot start
static const int MAX_FPS = 1000;  // The show's clock counts whole milliseconds
static const uint32_t SHOW_END_MS = 38000;

// A whole number of frames a second in 1..MAX_FPS.
static CLI::Validator fpsCheck()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(text) < 1 || std::stoi(text) > MAX_FPS)
                return "frames a second must be a whole number 1.." + std::to_string(MAX_FPS) + ", got '" + text + "'";
            return std::string();
        },
        "N");
}

CLI::App* addVideoCommand(CLI::App& app, VideoRequest* request)
{
    *request = VideoRequest{std::string(), 60, 0, SHOW_END_MS, 1.0, false};
    CLI::App* video =
        app.add_subcommand("video", "Draw the show from --from to --to ms at --fps frames a second and write\n"
                                    "the frames to OUT: a folder of PNG files, a .y4m stream (- for stdout),\n"
                                    "or a .mp4, .mkv or .webm file encoded by ffmpeg.");
    video->add_option("-o,--output", request->output, "Folder, FILE.y4m, -, FILE.mp4, FILE.mkv or FILE.webm")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) { return text.empty() ? std::string("empty output name") : std::string(); }, "OUT"));
    video->add_option("--fps", request->fps, "Frames a second, 1..1000 (default 60)")->check(fpsCheck());
    video->add_option("--from", request->from, "First frame's show time in ms (default 0)")->check(millisecondsCheck());
    video->add_option("--to", request->to, "Last show time a frame may have, in ms (default 38000)")
        ->check(millisecondsCheck());
    video->add_option("--scale", request->scale, "Size factor K, above 0 (default 1); drawn as vectors at that size")
        ->check(scaleCheck());
    video->add_flag("--quiet", request->quiet, "No progress bar on stderr");
    return video;
}

static volatile sig_atomic_t stopSignal; // SIGINT or SIGTERM once one has come, else 0

static void noteStopSignal(int signal)
{
    stopSignal = signal;
}

// Write errors come back as EPIPE and EFBIG, reported like any other, not as signals. An
// interruption is noted, so the loop can remove the unfinished output before ending.
static void setUpSignals()
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = noteStopSignal;
    action.sa_flags = SA_RESTART; // Writes and waits carry on; the loop looks between frames
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

static int fail(int code, const std::string& message)
{
    fprintf(stderr, "show-capture: %s\n", message.c_str());
    return code;
}

int runVideoCommand(const VideoRequest& request)
{
    if (request.from > request.to)
        return fail(EXIT_USAGE,
                    "--from " + std::to_string(request.from) + " is after --to " + std::to_string(request.to));
    OutputKind kind;
    std::string error;
    if (!checkVideoOutput(request.output, &kind, &error))
        return fail(EXIT_USAGE, error);
    const int width = static_cast<int>(widthAt(request.scale));
    const int height = static_cast<int>(heightAt(request.scale));
    if (!initOffscreenGraphics(width, height))
        return EXIT_FAILED;

    setUpSignals();
    VideoOutput out;
    if (!openVideoOutput(&out, request.output, kind, width, height, request.fps, &error))
        return fail(EXIT_USAGE, error);

    const bool progress = !request.quiet && isatty(STDERR_FILENO);
    const int64_t count = frameCount(request.from, request.to, request.fps);
    if (!startFramePipeline(&out, offscreenTarget(), &error)) {
        abandonVideoOutput(&out);
        return fail(EXIT_FAILED, error);
    }
    bool written = true;
    for (int64_t n = 0; n < count && !stopSignal; n++) {
        RenderTarget slot;
        written = nextFrameTarget(&slot, &error);
        if (!written)
            break;
        drawOffscreenInto(slot.pixels);
        animate(frameTime(request.from, request.fps, n));
        composeDrawList();
        renderFrame();
        pushFrame();
        if (progress)
            showProgress(n + 1, count);
    }
    drawOffscreenInto(nullptr); // Before the pipeline frees its buffer
    written = stopFramePipeline(&error) && written;
    if (progress)
        endProgress();
    if (stopSignal) {
        abandonVideoOutput(&out);
        fail(EXIT_FAILED, "interrupted; the unfinished output is removed");
        signal(stopSignal, SIG_DFL); // End the way the signal would have ended us
        raise(stopSignal);
        return EXIT_FAILED;
    }
    if (!written || !finishVideoOutput(&out, &error)) {
        abandonVideoOutput(&out);
        return fail(EXIT_FAILED, error);
    }
    return 0;
}
