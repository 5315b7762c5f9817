// video_command.h -- the capture tool's video subcommand: a range of the show as video.
#pragma once

#include <cstdint>
#include <string>

#include <CLI/CLI.hpp> // Required for: CLI::App

// What the video subcommand was asked for.
struct VideoRequest {
    std::string output; // Folder, NAME.y4m, -, NAME.mp4, NAME.mkv or NAME.webm
    int fps;            // Frames a second, 1..1000
    uint32_t from;      // First frame's show time, ms
    uint32_t to;        // No frame after this show time, ms
    double scale;       // Frames are 640 * scale x 480 * scale pixels
    bool quiet;         // No progress bar
};

// Adds the video subcommand to app; parsing fills request.
CLI::App* addVideoCommand(CLI::App& app, VideoRequest* request);

// Draws the frames offscreen and writes them; the scene must be set up. Returns the exit
// code: 0; 2 after one line on stderr when the request cannot start; 1 after one line
// when drawing or writing fails on the way, with nothing left that looks complete. On
// SIGINT or SIGTERM removes the unfinished output and ends by that signal.
int runVideoCommand(const VideoRequest& request);
