// frame_command.h -- the capture tool's frame subcommand: one frame of the show as a PNG.
#pragma once

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp> // Required for: CLI::App

// What the frame subcommand was asked for.
struct FrameRequest {
    uint32_t t;         // Elapsed show time, ms
    std::string output; // PNG file to write
    double scale;       // Output size is 640 * scale x 480 * scale pixels
};

// Adds the frame subcommand to app; parsing fills request.
CLI::App* addFrameCommand(CLI::App& app, FrameRequest* request);

// Draws the frame at request.t offscreen and writes it; the scene must be set up.
// Returns the exit code: 0, or 1 after one line on stderr.
int runFrameCommand(const FrameRequest& request);
