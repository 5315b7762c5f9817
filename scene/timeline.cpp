// timeline.cpp -- every moving value of the show as a pure function of the elapsed time.
#include "scene.h"

#include <cmath> // Required for: std::sin()

// Values are formed in double precision and rounded to float where they are stored.
// Comparisons with t read the clock as a signed 32-bit number.

static const double TWO_PI = 6.283185307179586;
static const float SCALE_LOW = 0.8f;  // Smallest scale of a breathing shape
static const float SCALE_HIGH = 1.2f; // Largest

float progress(const Timing& timing, SceneClock t)
{
    const int32_t now = static_cast<int32_t>(t);
    if (now < timing.start)
        return 0.0f;
    // Differences are taken modulo 2^32 and read as unsigned numbers.
    const uint32_t elapsed = t - static_cast<uint32_t>(timing.start);
    const uint32_t span = static_cast<uint32_t>(timing.end) - static_cast<uint32_t>(timing.start);
    if (now < timing.end)
        return static_cast<float>(static_cast<double>(elapsed) / static_cast<int32_t>(span));
    if (timing.repeat)
        return static_cast<float>(static_cast<double>(elapsed % span) / static_cast<double>(span));
    return 1.0f;
}

float ramp(SceneClock t, int32_t a)
{
    const int64_t now = static_cast<int32_t>(t);
    if (now < a)
        return 0.0f;
    if (now < static_cast<int64_t>(a) + FADE_MS)
        return static_cast<float>(static_cast<double>(now - a) / FADE_MS);
    return 1.0f;
}

// Linear blend from a (c = 0) to b (c = 1), the way every animated value is mixed.
static double mix(double a, double b, double c)
{
    return (1.0 - c) * a + c * b;
}

// The 0..1 swing of a bobbing shape: 0.5 at c = 0, 1 a quarter period in.
static float swingOf(float c)
{
    return static_cast<float>((std::sin(c * TWO_PI) + 1.0) * 0.5);
}

static float turnOf(float c)
{
    return static_cast<float>(mix(0.0, 360.0, c));
}

static float breathOf(float s)
{
    return static_cast<float>(SCALE_HIGH * static_cast<double>(s) + SCALE_LOW * (1.0 - s));
}

static void setRamp(PaletteSlot first, int count, PaletteSlot extra, float r)
{
    for (int k = 0; k < count; k++)
        setOpacity(&brushes[first + k], r);
    setOpacity(&brushes[extra], r);
}

// A window that fades in at a and out again at b.
static float rampInOut(SceneClock t, int32_t a, int32_t b)
{
    return static_cast<float>(static_cast<double>(ramp(t, a)) * (1.0 - ramp(t, b)));
}

void animate(SceneClock t)
{
    for (int i = 0; i < HEX_COUNT; i++) {
        Shape& shape = hexRow.shapes[i];
        const float c = progress(hexRow.timings[i], t);
        const float s = swingOf(c);
        shape.angle = turnOf(c);
        shape.y = static_cast<float>(350.0 * s + 400.0 * (1.0 - s));
        shape.scale = breathOf(s);
    }
    for (int i = 0; i < PENTAGON_COUNT; i++) {
        Shape& shape = pentagonColumn.shapes[i];
        const float c = progress(pentagonColumn.timings[i], t);
        const float s = swingOf(c);
        shape.angle = turnOf(c);
        shape.x = static_cast<float>(150.0 * s + 100.0 * (1.0 - s));
        shape.scale = breathOf(s);
    }
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const float c = progress(driftSquares.timings[i], t);
        driftSquares.shapes[i].x = static_cast<float>(mix(driftFrom[i], driftTo[i], c));
    }
    for (int k = 0; k < STAR_COUNT; k++) {
        // Neighbouring stars turn in opposite directions.
        const float a = turnOf(progress(starStack.timings[k], t));
        starStack.shapes[k].angle = (k % 2 == 0) ? -a : a;
    }

    setRamp(GREEN_SHADES, 10, HEXAGON_OUTLINE, ramp(t, 2000));
    setRamp(BLUE_SHADES, 10, BLUE_OUTLINE, ramp(t, 6000));
    setRamp(RED_SHADES, 10, SQUARE_OUTLINE, ramp(t, 10000));
    setOpacity(&brushes[TEXT_LINE_1], rampInOut(t, 14000, 18000));
    setOpacity(&brushes[TEXT_LINE_2], rampInOut(t, 22000, 26000));
    setOpacity(&brushes[TEXT_LINE_3], ramp(t, 30000));
    setOpacity(&brushes[BLACK_OVERLAY], ramp(t, 36000));
}
