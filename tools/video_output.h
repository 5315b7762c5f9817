// video_output.h -- where captured frames go: a PNG folder, a YUV4MPEG2 stream, or an encoder.
// Every output is written under a temporary name and only gets its own name once complete.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "encoder_process.h" // Required for: EncoderProcess
#include "render_target.h"   // Required for: RenderTarget

// What the output name asks for.
enum OutputKind {
    OUTPUT_PNG_FOLDER, // A folder of frame-00000.png, frame-00001.png, ...
    OUTPUT_Y4M_FILE,   // NAME.y4m
    OUTPUT_Y4M_STDOUT, // "-"
    OUTPUT_ENCODED,    // NAME.mp4, NAME.mkv or NAME.webm, encoded by ffmpeg
};

// One output being written.
struct VideoOutput {
    OutputKind kind;
    std::string path;        // The name asked for
    std::string workPath;    // The temporary file or folder written until the end
    bool intoExistingFolder; // PNG: frames move into path at the end, not the folder itself
    FILE* stream;            // Where the YUV4MPEG2 bytes go
    EncoderProcess encoder;  // ffmpeg, for OUTPUT_ENCODED
    const char* container;   // ffmpeg's name for the container, for OUTPUT_ENCODED
    int width;               // Pixels
    int height;              // Pixels
    int fps;
    int64_t framesWritten;
    std::vector<unsigned char> yuv; // One converted frame
};

// Works out what path asks for and whether that can be written, touching nothing. False with
// a one-line reason when it cannot (an unknown extension, a file where a folder is needed,
// stdout a terminal, ffmpeg missing).
bool checkVideoOutput(const std::string& path, OutputKind* kind, std::string* error);

// Opens the output checked above for width x height frames at fps: creates the temporary
// file or folder, or starts ffmpeg. False with a one-line reason, leaving nothing behind.
bool openVideoOutput(VideoOutput* out, const std::string& path, OutputKind kind, int width, int height, int fps,
                     std::string* error);

// Appends one frame. False with a one-line reason on a write error.
bool writeVideoFrame(VideoOutput* out, const RenderTarget& frame, std::string* error);

// Completes the output and gives it its name. False with a one-line reason, leaving nothing
// that looks complete.
bool finishVideoOutput(VideoOutput* out, std::string* error);

// Gives up on the output after a failure: closes it and removes everything temporary.
void abandonVideoOutput(VideoOutput* out);
