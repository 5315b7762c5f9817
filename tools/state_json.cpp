// state_json.cpp -- the complete scene state at one instant, written as JSON.
#include "state_json.h"

// Nine significant digits read back as the identical float.
static void writeFloat(FILE* out, float v)
{
    fprintf(out, "%.9g", static_cast<double>(v));
}

// The shape behind draw item `item`, in draw-item order.
static const Shape& shapeAt(int item)
{
    if (item < HEX_COUNT)
        return hexRow.shapes[item];
    item -= HEX_COUNT;
    if (item < PENTAGON_COUNT)
        return pentagonColumn.shapes[item];
    item -= PENTAGON_COUNT;
    if (item < SQUARE_COUNT)
        return driftSquares.shapes[item];
    return starStack.shapes[item - SQUARE_COUNT];
}

static const Timing& timingAt(int item)
{
    if (item < HEX_COUNT)
        return hexRow.timings[item];
    item -= HEX_COUNT;
    if (item < PENTAGON_COUNT)
        return pentagonColumn.timings[item];
    item -= PENTAGON_COUNT;
    if (item < SQUARE_COUNT)
        return driftSquares.timings[item];
    return starStack.timings[item - SQUARE_COUNT];
}

static void writeFloatList(FILE* out, const float* values, int count)
{
    fputs("[", out);
    for (int i = 0; i < count; i++) {
        if (i > 0)
            fputs(", ", out);
        writeFloat(out, values[i]);
    }
    fputs("]", out);
}

static void writeFloatArray(FILE* out, const char* key, const float* values, int count)
{
    fprintf(out, "\"%s\": ", key);
    writeFloatList(out, values, count);
}

void writeStateJson(FILE* out, SceneClock t)
{
    fprintf(out, "{\"t\": %u,\n \"shapes\": [\n", static_cast<unsigned>(t));
    for (int i = 0; i < SHAPE_COUNT; i++) {
        const Shape& s = shapeAt(i);
        fprintf(out, "  {\"geometry\": %d, \"fill\": %d, \"outline\": %d, \"x\": ", s.geometry, s.fill, s.outline);
        writeFloat(out, s.x);
        fputs(", \"y\": ", out);
        writeFloat(out, s.y);
        fputs(", \"angle\": ", out);
        writeFloat(out, s.angle);
        fputs(", \"scale\": ", out);
        writeFloat(out, s.scale);
        fputs(i + 1 < SHAPE_COUNT ? "},\n" : "}\n", out);
    }

    float opacity[PALETTE_SIZE];
    for (int i = 0; i < PALETTE_SIZE; i++)
        opacity[i] = brushes[i].opacity;
    fputs(" ],\n ", out);
    writeFloatArray(out, "opacity", opacity, PALETTE_SIZE);

    fputs(",\n \"transform\": [\n", out);
    for (int i = 0; i < SHAPE_COUNT; i++) {
        const Matrix3x2& m = drawItems[i].transform;
        const float elements[6] = {m.m11, m.m12, m.m21, m.m22, m.dx, m.dy};
        fputs("  ", out);
        writeFloatList(out, elements, 6);
        fputs(i + 1 < SHAPE_COUNT ? ",\n" : "\n", out);
    }
    fputs(" ],\n \"timing\": [\n", out);
    for (int i = 0; i < SHAPE_COUNT; i++) {
        const Timing& timing = timingAt(i);
        fprintf(out, "  [%d, %d, %s]%s", timing.start, timing.end, timing.repeat ? "true" : "false",
                i + 1 < SHAPE_COUNT ? ",\n" : "\n");
    }
    fputs(" ],\n ", out);
    writeFloatArray(out, "driftFrom", driftFrom, SQUARE_COUNT);
    fputs(",\n ", out);
    writeFloatArray(out, "driftTo", driftTo, SQUARE_COUNT);
    fputs("}\n", out);
}
