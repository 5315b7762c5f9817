// model.cpp -- the scene's global tables and its palette of colours.
#include "scene.h"

ShapeGroup<HEX_COUNT> hexRow;
ShapeGroup<PENTAGON_COUNT> pentagonColumn;
ShapeGroup<SQUARE_COUNT> driftSquares;
ShapeGroup<STAR_COUNT> starStack;
float driftFrom[SQUARE_COUNT];
float driftTo[SQUARE_COUNT];

Brush brushes[PALETTE_SIZE];
Outline geometries[GEOMETRY_SLOTS];
DrawItem drawItems[SHAPE_COUNT];
SceneRandom sceneRandom;

static const float SHADE_STEP = 0.1f;    // 0.10000000149011612
static const float SHAPE_ALPHA = 0.3f;   // Fills of every shape
static const float OUTLINE_ALPHA = 0.4f; // Outlines of every shape
static const float TEXT_ALPHA = 0.8f;    // The three text lines
static const float LIGHT = 0.8f;         // The pale channels of the outline colours
static const float OUTLINE_RADIUS = 15.0f;
static const float STAR_RADIUS = 200.0f;

float shadeOf(int k)
{
    // One rounding of the exact product: shade 9 is 0.90000004, not 0.9.
    return static_cast<float>(k * static_cast<double>(SHADE_STEP));
}

void initPalette()
{
    for (int k = 0; k < 10; k++) {
        const float v = shadeOf(k);
        brushes[RED_SHADES + k] = makeSolidBrush(Color{v, 0.0f, 0.0f, SHAPE_ALPHA});
        brushes[GREEN_SHADES + k] = makeSolidBrush(Color{0.0f, v, 0.0f, SHAPE_ALPHA});
        brushes[BLUE_SHADES + k] = makeSolidBrush(Color{0.0f, 0.0f, v, SHAPE_ALPHA});
    }
    brushes[TEXT_LINE_1] = makeSolidBrush(Color{1.0f, 1.0f, 1.0f, TEXT_ALPHA});
    brushes[TEXT_LINE_2] = makeSolidBrush(Color{1.0f, 1.0f, 1.0f, TEXT_ALPHA});
    brushes[TEXT_LINE_3] = makeSolidBrush(Color{1.0f, 1.0f, 1.0f, TEXT_ALPHA});
    brushes[BLACK_OVERLAY] = makeSolidBrush(Color{0.0f, 0.0f, 0.0f, 1.0f});
    brushes[SQUARE_OUTLINE] = makeSolidBrush(Color{1.0f, LIGHT, LIGHT, OUTLINE_ALPHA});
    brushes[HEXAGON_OUTLINE] = makeSolidBrush(Color{LIGHT, 1.0f, LIGHT, OUTLINE_ALPHA});
    brushes[BLUE_OUTLINE] = makeSolidBrush(Color{LIGHT, LIGHT, 1.0f, OUTLINE_ALPHA});
}

void initGeometries()
{
    for (GeometrySlot slot = 0; slot < TRIANGLE_SLOT; slot++)
        geometries[slot].count = 0;
    for (GeometrySlot slot = TRIANGLE_SLOT; slot <= HEXAGON_SLOT; slot++)
        geometries[slot] = polygonOutline(OUTLINE_RADIUS, static_cast<uint32_t>(slot));
    geometries[STAR_SLOT] = starOutline(STAR_RADIUS);
}
