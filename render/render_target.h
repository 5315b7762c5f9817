// render_target.h -- the surface one frame is drawn into, and the backends that supply it.
// The drawing core draws; a backend (the window, or an offscreen buffer) owns the pixels
// and shows them. Exactly one backend is linked into a program.
#pragma once

// A drawing area of 32-bit pixels, 0x00RRGGBB in native byte order (cairo's RGB24,
// SDL's XRGB8888), rows top to bottom.
struct RenderTarget {
    unsigned char* pixels;
    int width;  // Pixels
    int height; // Pixels
    int stride; // Bytes from one row to the next
};

// Core: creates the drawing resources (paths from the outline slots, the text format).
// The scene's palette and outline slots must exist. Prints one line and returns false on failure.
bool initDrawing();

// Core: draws the whole frame into target, the 640 x 480 scene scaled uniformly to the
// largest size that fits and centred, with black bars beside it.
void drawScene(const RenderTarget& target);

// Backend: the target this frame goes to; false when there is nothing to draw into.
bool beginTarget(RenderTarget* target);

// Backend: shows the finished frame.
void endTarget();
