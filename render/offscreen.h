// offscreen.h -- drawing without a window, into a buffer of the program's own.
#pragma once

#include "render_target.h" // Required for: RenderTarget

// Sets up the offscreen target at width x height pixels and the drawing resources; the
// scene's palette and outline slots must exist. Prints one line and returns false on failure.
bool initOffscreenGraphics(int width, int height);

// The pixels renderFrame drew last.
const RenderTarget& offscreenTarget();
