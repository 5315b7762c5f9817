// show_capture.cpp -- looks at any instant of the show without a window.
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp> // Required for: CLI::App, CLI::ParseError

#include "cli_checks.h"
#include "frame_command.h"
#include "scene.h"
#include "state_json.h"
#include "video_command.h"

static const int EXIT_USAGE = 2; // Bad or missing argument

// Builds the scene exactly as the show does before its first frame.
static void setUpScene()
{
    initPalette();
    initGeometries();
    initShapes();
    initTimings();
}

int main(int argc, char** argv)
{
    CLI::App app{"Looks at the show without a window: its state or its frames at any instant."};
    app.name("show-capture");
    app.require_subcommand(1, 1);

    uint32_t stateTime = 0;
    CLI::App* state = app.add_subcommand(
        "state", "Print the complete scene state at T ms as JSON on stdout: shapes, brush\n"
                 "opacities and transforms in draw-item order, timings, drift ends.");
    state->add_option("T", stateTime, "Elapsed show time in whole milliseconds, 0..4294967295")
        ->required()
        ->check(millisecondsCheck());

    FrameRequest frameRequest;
    CLI::App* frame = addFrameCommand(app, &frameRequest);

    VideoRequest videoRequest;
    CLI::App* video = addVideoCommand(app, &videoRequest);

    try {
        // CLI11 reports a stray first word only as a missing subcommand; name it instead.
        if (argc > 1 && argv[1][0] != '-' && app.get_subcommands([&](CLI::App* sub) {
                                                    return sub->check_name(argv[1]);
                                                }).empty())
            throw CLI::ParseError("unknown subcommand '" + std::string(argv[1]) + "'", EXIT_USAGE);
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        // CLI11 may end its messages with a newline; keep the error on one line.
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        fprintf(stderr, "show-capture: %s\n", message.c_str());
        return EXIT_USAGE;
    }

    setUpScene();
    if (state->parsed()) {
        animate(stateTime);
        composeDrawList();
        writeStateJson(stdout, stateTime);
    }
    if (frame->parsed())
        return runFrameCommand(frameRequest);
    if (video->parsed())
        return runVideoCommand(videoRequest);
    return fflush(stdout) == 0 ? 0 : 1;
}
