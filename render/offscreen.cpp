// offscreen.cpp -- the null backend: frames go into a heap buffer and stay there.
#include <cstdio>  // Required for: fprintf()
#include <cstdlib> // Required for: calloc(), free()

#include "offscreen.h"
#include "scene.h"

static const int MAX_SIDE = 1 << 16; // Pixels; keeps a row's byte count well inside int

static RenderTarget offscreen;   // The backend's own buffer
static RenderTarget current;     // Where frames go: offscreen, or the caller's pixels

bool initOffscreenGraphics(int width, int height)
{
    if (width <= 0 || height <= 0 || width > MAX_SIDE || height > MAX_SIDE) {
        fprintf(stderr, "render: bad offscreen size %d x %d\n", width, height);
        return false;
    }
    std::free(offscreen.pixels);
    offscreen = RenderTarget();
    current = RenderTarget();
    const int stride = width * 4; // 32-bit pixels, rows packed
    unsigned char* pixels = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(stride), height));
    if (!pixels) {
        fprintf(stderr, "render: out of memory for a %d x %d offscreen buffer\n", width, height);
        return false;
    }
    offscreen.pixels = pixels;
    offscreen.width = width;
    offscreen.height = height;
    offscreen.stride = stride;
    current = offscreen;

    initPalette();
    initGeometries();
    return initDrawing();
}

const RenderTarget& offscreenTarget()
{
    return current;
}

void drawOffscreenInto(unsigned char* pixels)
{
    current = offscreen;
    if (pixels && offscreen.pixels)
        current.pixels = pixels;
}

bool beginTarget(RenderTarget* target)
{
    *target = current;
    return current.pixels != nullptr;
}

void endTarget()
{
}
