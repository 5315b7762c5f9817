// frame_command.cpp -- show-capture frame: the show's frame at any instant, as a PNG.
#include "frame_command.h"

#include <cstdio> // Required for: fprintf()

#include "cli_checks.h"
#include "frame_size.h"
#include "offscreen.h"
#include "png_file.h"
#include "render.h"
#include "scene.h"

CLI::App* addFrameCommand(CLI::App& app, FrameRequest* request)
{
    request->t = 0;
    request->scale = 1.0;
    CLI::App* frame = app.add_subcommand(
        "frame", "Draw the frame at T ms offscreen and write it as a PNG file of\n"
                 "640K x 480K pixels.");
    frame->add_option("T", request->t, "Elapsed show time in whole milliseconds, 0..4294967295")
        ->required()
        ->check(millisecondsCheck());
    frame->add_option("-o,--output", request->output, "The PNG file to write")->required()->check(
        CLI::Validator([](std::string& text) { return text.empty() ? std::string("empty file name") : std::string(); },
                       "FILE"));
    frame->add_option("--scale", request->scale, "Size factor K, above 0 (default 1); drawn as vectors at that size")
        ->check(scaleCheck());
    return frame;
}

int runFrameCommand(const FrameRequest& request)
{
    const int width = static_cast<int>(widthAt(request.scale));
    const int height = static_cast<int>(heightAt(request.scale));
    if (!initOffscreenGraphics(width, height))
        return 1;
    animate(request.t);
    composeDrawList();
    renderFrame();

    std::string error;
    if (!writePngFile(offscreenTarget(), request.output, &error)) {
        fprintf(stderr, "show-capture: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
