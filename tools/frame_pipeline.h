// frame_pipeline.h -- writes each captured frame on a second thread while the next is drawn.
#pragma once

#include <string>

#include "render_target.h" // Required for: RenderTarget
#include "video_output.h"  // Required for: VideoOutput

// Starts the writing thread for out, with room for one frame of width x height pixels.
// Until stopFramePipeline only that thread touches out.
void startFramePipeline(VideoOutput* out, int width, int height);

// Waits until the previous frame has been taken up, then copies frame in for writing.
// False with the writing thread's reason once a write has failed.
bool pushFrame(const RenderTarget& frame, std::string* error);

// Lets the frame in hand be written and ends the thread. False with the reason when a
// write failed.
bool stopFramePipeline(std::string* error);
