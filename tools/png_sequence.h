// png_sequence.h -- captured frames as a folder of numbered PNG files.
#pragma once

#include <string>

#include "render_target.h" // Required for: RenderTarget
#include "video_output.h"  // Required for: VideoOutput

// Name of frame n in a sequence: frame-00000.png, frame-00001.png, ...
std::string sequenceFrameName(int64_t n);

// Makes the temporary folder the frames go into first: beside out->path when that folder
// does not exist yet, inside it when it does. False with a reason when it cannot be made.
bool openPngSequence(VideoOutput* out, std::string* error);

// Writes frame number out->framesWritten into the temporary folder.
bool writePngSequenceFrame(VideoOutput* out, const RenderTarget& frame, std::string* error);

// Gives the frames their place: renames the temporary folder to out->path, or moves each
// frame into the existing folder and removes frames there that continue past this sequence.
bool finishPngSequence(VideoOutput* out, std::string* error);

// Removes the temporary folder and the frames in it.
void abandonPngSequence(VideoOutput* out);
