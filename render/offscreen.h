// offscreen.h -- the null backend: drawing without a window, into a buffer of its own.
#pragma once

#include "render_target.h" // Required for: RenderTarget

// Allocates a width x height buffer (replacing any earlier one), creates the palette, the
// outline slots and the drawing resources. Prints one line and returns false on failure.
bool initOffscreenGraphics(int width, int height);

// The buffer renderFrame draws into; its pixels hold the last frame drawn.
const RenderTarget& offscreenTarget();

// Sends the frames that follow into pixels, a buffer of the offscreen size with rows
// packed, which the caller owns (so that a finished frame can be handed on without a
// copy); nullptr goes back to the backend's own buffer.
void drawOffscreenInto(unsigned char* pixels);
