// setup.cpp -- the scene's layout and time windows, random parts from a fixed seed.
#include "scene.h"

static const float SPACING = 35.0f;       // Between neighbouring hexagons and pentagons
static const float ROW_Y = 400.0f;        // Resting height of the hexagon row
static const float COLUMN_X = 100.0f;     // Resting x of the pentagon column
static const float SQUARE_SCALE_STEP = 0.002f; // 0.0020000000949949026
static const float STAR_SCALE_STEP = 0.3f;     // 0.30000001192092896
static const Point2 STAR_CENTRE = {400.0f, 200.0f};
static const int32_t PHASE_MS = 100;      // Offset between neighbouring hexagons or pentagons
static const int32_t SWING_MS = 2000;     // Period of a hexagon or pentagon
static const int32_t CROSSING_MS = 20000; // Period of a drifting square
static const int32_t STAR_TURN_MS = 10000; // One turn of a star

float squareScaleOf(uint32_t remainder)
{
    // Formed in double and rounded once: remainder 15 gives 0.53000003, not 0.52999997.
    return static_cast<float>(remainder * static_cast<double>(SQUARE_SCALE_STEP) + 0.5);
}

void initShapes()
{
    for (int i = 0; i < HEX_COUNT; i++) {
        Shape& shape = hexRow.shapes[i];
        shape.geometry = HEXAGON_SLOT;
        shape.fill = GREEN_SHADES + i / 2; // Neighbours share a shade
        shape.outline = HEXAGON_OUTLINE;
        shape.x = SPACING * i;
        shape.y = ROW_Y;
    }
    for (int i = 0; i < PENTAGON_COUNT; i++) {
        Shape& shape = pentagonColumn.shapes[i];
        shape.geometry = PENTAGON_SLOT;
        shape.fill = BLUE_SHADES + i / 2;
        shape.outline = BLUE_OUTLINE;
        shape.x = COLUMN_X;
        shape.y = SPACING * i;
    }

    seed(&sceneRandom, 0);
    for (int i = 0; i < SQUARE_COUNT; i++) {
        Shape& shape = driftSquares.shapes[i];
        shape.geometry = SQUARE_SLOT;
        shape.fill = RED_SHADES + 8;
        shape.outline = SQUARE_OUTLINE;
        shape.x = 0.0f;
        shape.y = static_cast<float>(next(&sceneRandom) % 500);
        shape.scale = squareScaleOf(next(&sceneRandom) % 100);
    }

    for (int k = 0; k < STAR_COUNT; k++) {
        Shape& shape = starStack.shapes[k];
        shape.geometry = STAR_SLOT;
        shape.fill = BLUE_SHADES + 9;
        shape.outline = BLUE_OUTLINE;
        shape.x = STAR_CENTRE.x;
        shape.y = STAR_CENTRE.y;
        // Exact in double, rounded once: 1, 0.69999999, ..., -0.50000006.
        shape.scale = static_cast<float>(1.0 - k * static_cast<double>(STAR_SCALE_STEP));
    }
}

static Timing repeatingWindow(int32_t start, int32_t length)
{
    return Timing{start, start + length, true};
}

void initTimings()
{
    for (int i = 0; i < HEX_COUNT; i++)
        hexRow.timings[i] = repeatingWindow(PHASE_MS * i, SWING_MS);
    for (int i = 0; i < PENTAGON_COUNT; i++)
        pentagonColumn.timings[i] = repeatingWindow(PHASE_MS * i, SWING_MS);

    // Continues the generator where initShapes left it. Each square starts up to
    // 9999 ms into its crossing, from beyond the right edge to the left edge or beyond.
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const int32_t start = -static_cast<int32_t>(next(&sceneRandom) % 10000);
        driftSquares.timings[i] = repeatingWindow(start, CROSSING_MS);
        driftTo[i] = static_cast<float>(-static_cast<int32_t>(next(&sceneRandom) % 1000));
        driftFrom[i] = static_cast<float>(next(&sceneRandom) % 1000 + 700);
    }

    for (int k = 0; k < STAR_COUNT; k++)
        starStack.timings[k] = repeatingWindow(0, STAR_TURN_MS);
}
