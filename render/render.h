// render.h -- the graphics layer's entry points for the frame loop.
#pragma once

// Opens the show's window and creates everything the show draws with, after the scene's
// palette and outline slots exist. On failure prints one line to stderr and returns false.
bool initGraphics();

// Draws the composed frame (background, draw items, text lines, overlay) into the
// current target and presents it.
void renderFrame();
