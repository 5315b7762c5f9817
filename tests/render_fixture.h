// render_fixture.h -- real frames drawn offscreen, copied out for pixel checks.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "offscreen.h"
#include "render.h"
#include "scene_fixture.h"

// One pixel's channels, 0..255.
struct Rgb {
    int r;
    int g;
    int b;
};

// A copy of a drawn frame.
struct Frame {
    int width;
    int height;
    std::vector<Rgb> pixels; // Row by row

    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline Rgb pixelOf(const RenderTarget& target, int x, int y)
{
    uint32_t v;
    std::memcpy(&v, target.pixels + static_cast<size_t>(y) * target.stride + 4 * static_cast<size_t>(x), sizeof v);
    return Rgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)};
}

inline Frame copyFrame(const RenderTarget& target)
{
    Frame frame{target.width, target.height, {}};
    frame.pixels.reserve(static_cast<size_t>(target.width) * target.height);
    for (int y = 0; y < target.height; y++)
        for (int x = 0; x < target.width; x++)
            frame.pixels.push_back(pixelOf(target, x, y));
    return frame;
}

// The scene set up as the show has it, drawn through the offscreen backend.
class RenderTest : public SceneTest {
protected:
    // Sets up the offscreen target and the draw list for time t; tests may then adjust
    // brushes or draw items before calling draw().
    void prepare(SceneClock t, int width = 640, int height = 480)
    {
        ASSERT_TRUE(initOffscreenGraphics(width, height));
        animate(t);
        composeDrawList();
    }

    Frame draw()
    {
        renderFrame();
        return copyFrame(offscreenTarget());
    }

    Frame frameAt(SceneClock t, int width = 640, int height = 480)
    {
        prepare(t, width, height);
        return draw();
    }
};
