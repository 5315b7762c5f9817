// scene.h -- the scene's records, its fixed tables and the routines that fill and animate them.
#pragma once

#include <cstdint>

#include "graphics_ops.h" // Required for: Point2, Color, Matrix3x2, Brush

constexpr int HEX_COUNT = 20;      // Bobbing, spinning hexagons along the bottom
constexpr int PENTAGON_COUNT = 17; // Swinging pentagons down the left
constexpr int SQUARE_COUNT = 100;  // Squares drifting leftwards
constexpr int STAR_COUNT = 6;      // Concentric, counter-turning stars
constexpr int SHAPE_COUNT = HEX_COUNT + PENTAGON_COUNT + SQUARE_COUNT + STAR_COUNT;
static_assert(SHAPE_COUNT == 143, "the scene has 143 shapes");

constexpr int PALETTE_SIZE = 37;      // Brush slots
constexpr int GEOMETRY_SLOTS = 8;     // Outline slots; 0..2 stay empty
constexpr int MAX_OUTLINE_POINTS = 28; // The star has the most vertices

constexpr uint32_t SHOW_DURATION_MS = 38000; // The show ends once more than this has passed
constexpr int32_t FADE_MS = 2000;            // Length of every opacity ramp

// Milliseconds since the show started, unsigned and wrapping like the tick counter.
using SceneClock = uint32_t;
// Index into geometries.
using GeometrySlot = int32_t;
// Index into brushes.
using PaletteSlot = int32_t;

// Geometry slots the scene uses.
constexpr GeometrySlot TRIANGLE_SLOT = 3; // Built, but no shape uses it
constexpr GeometrySlot SQUARE_SLOT = 4;
constexpr GeometrySlot PENTAGON_SLOT = 5;
constexpr GeometrySlot HEXAGON_SLOT = 6;
constexpr GeometrySlot STAR_SLOT = 7;

// Palette slots with a single job.
constexpr PaletteSlot RED_SHADES = 0;       // 0..9
constexpr PaletteSlot GREEN_SHADES = 10;    // 10..19
constexpr PaletteSlot BLUE_SHADES = 20;     // 20..29
constexpr PaletteSlot TEXT_LINE_1 = 30;
constexpr PaletteSlot SQUARE_OUTLINE = 31;
constexpr PaletteSlot HEXAGON_OUTLINE = 32;
constexpr PaletteSlot BLUE_OUTLINE = 33;    // Pentagons and stars
constexpr PaletteSlot TEXT_LINE_2 = 34;
constexpr PaletteSlot TEXT_LINE_3 = 35;
constexpr PaletteSlot BLACK_OVERLAY = 36;

// One animated shape.
struct Shape {
    GeometrySlot geometry = SQUARE_SLOT;
    PaletteSlot fill = 0;
    PaletteSlot outline = 0;
    float x = 0.0f;     // Origin, scene units, to the right
    float y = 0.0f;     // Origin, scene units, downward
    float angle = 0.0f; // Degrees; positive turns clockwise on screen
    float scale = 1.0f; // Uniform; negative turns the outline a half turn
};

// One time window on the show clock; start may be negative.
struct Timing {
    int32_t start;
    int32_t end;
    bool repeat;
};

// A closed outline: start at points[0], straight lines through the rest, back to the start.
struct Outline {
    Point2 points[MAX_OUTLINE_POINTS];
    uint32_t count; // 0 for an empty slot
};

// One resolved draw command, rebuilt every frame.
struct DrawItem {
    const Outline* geometry;
    const Brush* fill;
    const Brush* outline;
    Matrix3x2 transform;
};

// Shapes and their time windows as parallel arrays: shape i is animated by timings[i].
template <int COUNT>
struct ShapeGroup {
    Shape shapes[COUNT];
    Timing timings[COUNT];
};

// The fixed linear congruential generator behind the scene's random layout.
struct SceneRandom {
    uint32_t state;
};

// The four groups, in the order every per-frame pass visits them.
extern ShapeGroup<HEX_COUNT> hexRow;           // Draw items 0..19
extern ShapeGroup<PENTAGON_COUNT> pentagonColumn; // Draw items 20..36
extern ShapeGroup<SQUARE_COUNT> driftSquares;  // Draw items 37..136
extern ShapeGroup<STAR_COUNT> starStack;       // Draw items 137..142
extern float driftFrom[SQUARE_COUNT]; // x where square i starts its crossing
extern float driftTo[SQUARE_COUNT];   // x where square i ends it

extern Brush brushes[PALETTE_SIZE];       // The palette
extern Outline geometries[GEOMETRY_SLOTS]; // Outline points, turned into paths by the graphics layer
extern DrawItem drawItems[SHAPE_COUNT];   // This frame's draw list
extern SceneRandom sceneRandom;           // Shared by initShapes and initTimings

// Sets the generator's state.
void seed(SceneRandom* random, uint32_t s);
// Advances the generator; returns 0..32767.
uint32_t next(SceneRandom* random);

// The red, green and blue shade k (0..9): k * 0.1 in float, rounded once.
float shadeOf(int k);
// Creates the 37 palette brushes, in slot-creation order, all at opacity 1.
void initPalette();
// Fills geometry slots 3..7 with their outlines; slots 0..2 stay empty.
void initGeometries();

// A drifting square's scale for a draw remainder 0..99: 0.5 .. 0.698, rounded once.
float squareScaleOf(uint32_t remainder);
// Lays out the four groups and seeds the generator.
void initShapes();
// Gives every shape its time window and every square its drift, continuing the generator.
void initTimings();

// Where t lies in the window, 0..1; with repeat it restarts every period.
float progress(const Timing& timing, SceneClock t);
// The two-second ramp starting at a ms: 0 before, 1 after.
float ramp(SceneClock t, int32_t a);
// Writes every shape's animated fields and every brush's opacity for time t.
void animate(SceneClock t);

// Turns the 143 shape records into drawItems with resolved slots and transforms.
void composeDrawList();

// Regular n-gon of the given radius, vertex 0 on the positive x axis, clockwise on screen.
Outline polygonOutline(float radius, uint32_t corners);
// 14-pointed star: tips (odd points) at radius, notches (even points) at 0.8 radius.
Outline starOutline(float radius);
