// frame_pipeline.h -- writes each captured frame on a second thread while the next is drawn.
#pragma once

#include <string>

#include "render_target.h" // Required for: RenderTarget
#include "video_output.h"  // Required for: VideoOutput

// Starts the writing thread for out. Frames are drawn in turn into first (whose pixels the
// caller keeps) and into a second buffer of its size. Until stopFramePipeline only that
// thread touches out. False with a reason when there is no memory for the second buffer.
bool startFramePipeline(VideoOutput* out, const RenderTarget& first, std::string* error);

// Waits until a buffer is free to draw the next frame into, and gives it. False with the
// writing thread's reason once a write has failed.
bool nextFrameTarget(RenderTarget* target, std::string* error);

// Hands the frame drawn into the target nextFrameTarget gave to the writing thread.
void pushFrame();

// Lets the frames in hand be written and ends the thread. False with the reason when a
// write failed.
bool stopFramePipeline(std::string* error);
