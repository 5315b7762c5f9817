// offscreen.h -- the null backend: drawing without a window, into a buffer of its own.
#pragma once

#include "render_target.h" // Required for: RenderTarget

// Allocates a width x height buffer (replacing any earlier one), creates the palette, the
// outline slots and the drawing resources. Prints one line and returns false on failure.
bool initOffscreenGraphics(int width, int height);

// The buffer renderFrame draws into; its pixels hold the last frame drawn.
const RenderTarget& offscreenTarget();
