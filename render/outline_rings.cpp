// outline_rings.cpp -- each outline's 4-unit mitred stroke, widened once into a ring.
// Filling the ring paints exactly what stroking the outline would, without cairo
// working the stroke out again every frame. The ring is built in outline units, so any
// item transform (and the scaled width with it) maps it exactly as it would the stroke.
#include <cmath> // Required for: std::sqrt()

#include "drawing.h"

static const double HALF_WIDTH = OUTLINE_WIDTH / 2.0;

// Each contour has at most two points per vertex (a bevelled corner) and a close.
static const int CONTOUR_DATA_SIZE = 2 * (2 * MAX_OUTLINE_POINTS) + 1;
static const int RING_DATA_SIZE = 2 * CONTOUR_DATA_SIZE; // Outer and inner contour

static cairo_path_data_t ringData[GEOMETRY_SLOTS][RING_DATA_SIZE];
static cairo_path_t rings[GEOMETRY_SLOTS];

// A direction or offset in outline units.
struct Vec {
    double x;
    double y;
};

// The left-hand unit normal of the edge from a to b, for a y-down plane.
static Vec edgeNormal(const Point2& a, const Point2& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0)
        return Vec{0.0, 0.0};
    return Vec{-dy / length, dx / length};
}

static int addPoint(cairo_path_data_t* data, int n, bool first, double x, double y)
{
    data[n].header.type = first ? CAIRO_PATH_MOVE_TO : CAIRO_PATH_LINE_TO;
    data[n].header.length = 2;
    data[n + 1].point.x = x;
    data[n + 1].point.y = y;
    return n + 2;
}

// One side of the stroke: the outline's edges moved side * HALF_WIDTH along their
// normals, joined where neighbouring edges meet. On the outer side of a turn that is
// the mitre tip, or a bevel where the mitre is longer than the limit allows (the same
// test cairo's stroker makes); on the inner side it is where the two moved edges cross.
static int addContour(cairo_path_data_t* data, int n, const Outline& outline, double side)
{
    const int count = static_cast<int>(outline.count);
    bool first = true;
    for (int i = 0; i < count; i++) {
        const Point2& prev = outline.points[(i + count - 1) % count];
        const Point2& here = outline.points[i];
        const Point2& next = outline.points[(i + 1) % count];
        const Vec in = edgeNormal(prev, here);
        const Vec out = edgeNormal(here, next);
        const double h = side * HALF_WIDTH;
        const double cosTurn = in.x * out.x + in.y * out.y; // Normals turn as the edges do
        const double cross = in.x * out.y - in.y * out.x;   // Its sign: which way the outline turns
        const bool outer = side * cross < 0.0;              // This side is on the outside of the turn
        const bool mitre = 2.0 <= MITER_LIMIT * MITER_LIMIT * (1.0 + cosTurn);
        const bool crossing = 1.0 + cosTurn > 1e-9;
        if ((outer && !mitre) || !crossing) {
            n = addPoint(data, n, first, here.x + h * in.x, here.y + h * in.y);
            n = addPoint(data, n, false, here.x + h * out.x, here.y + h * out.y);
        } else {
            const double k = h / (1.0 + cosTurn);
            n = addPoint(data, n, first, here.x + k * (in.x + out.x), here.y + k * (in.y + out.y));
        }
        first = false;
    }
    data[n].header.type = CAIRO_PATH_CLOSE_PATH;
    data[n].header.length = 1;
    return n + 1;
}

// Turns the contour starting at data[from] (points, then a close) the other way round.
static void reverseContour(cairo_path_data_t* data, int from, int end)
{
    const int points = (end - 1 - from) / 2; // Header and point per vertex, then the close
    for (int i = 0, j = points - 1; i < j; i++, j--) {
        const cairo_path_data_t p = data[from + 2 * i + 1];
        data[from + 2 * i + 1] = data[from + 2 * j + 1];
        data[from + 2 * j + 1] = p;
    }
}

void initRings()
{
    for (GeometrySlot slot = 0; slot < GEOMETRY_SLOTS; slot++) {
        const Outline& outline = geometries[slot];
        cairo_path_data_t* data = ringData[slot];
        int n = 0;
        if (outline.count >= 2 && outline.count <= MAX_OUTLINE_POINTS) {
            n = addContour(data, n, outline, 1.0);
            const int inner = n;
            n = addContour(data, n, outline, -1.0);
            reverseContour(data, inner, n);
        }
        rings[slot].status = CAIRO_STATUS_SUCCESS;
        rings[slot].data = data;
        rings[slot].num_data = n;
    }
}

const cairo_path_t* outlineRing(const Outline* outline)
{
    const GeometrySlot slot = outlineSlot(outline);
    return slot < 0 ? nullptr : &rings[slot];
}
