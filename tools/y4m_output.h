// y4m_output.h -- captured frames as one YUV4MPEG2 stream: to a file, stdout or ffmpeg.
#pragma once

#include <string>

#include "render_target.h" // Required for: RenderTarget
#include "video_output.h"  // Required for: VideoOutput

// Opens the stream for out->kind: a temporary file beside out->path, stdout, or ffmpeg
// writing a temporary file beside out->path; then writes the stream header.
bool openY4mOutput(VideoOutput* out, std::string* error);

// Converts frame to 4:2:0 and appends it to the stream.
bool writeY4mOutputFrame(VideoOutput* out, const RenderTarget& frame, std::string* error);

// Flushes and closes the stream, waits for ffmpeg, and renames the file into place.
bool finishY4mOutput(VideoOutput* out, std::string* error);

// Closes the stream, waits for ffmpeg, and removes the temporary file.
void abandonY4mOutput(VideoOutput* out);
