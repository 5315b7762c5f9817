// paths.cpp -- the outline slots as cairo paths, built once at start-up.
#include "drawing.h"

// Each vertex takes a header and a point; the closing segment takes one header.
static const int PATH_DATA_SIZE = 2 * MAX_OUTLINE_POINTS + 1;

static cairo_path_data_t pathData[GEOMETRY_SLOTS][PATH_DATA_SIZE];
static cairo_path_t paths[GEOMETRY_SLOTS];

// Written by hand rather than copied from a context: cairo keeps a context's path in
// 24.8 fixed point, which would round every vertex before the transform is applied.
static void buildPath(GeometrySlot slot)
{
    const Outline& outline = geometries[slot];
    const int count = outline.count > MAX_OUTLINE_POINTS ? MAX_OUTLINE_POINTS : static_cast<int>(outline.count);
    cairo_path_data_t* data = pathData[slot];
    int n = 0;
    for (int i = 0; i < count; i++) {
        data[n].header.type = i == 0 ? CAIRO_PATH_MOVE_TO : CAIRO_PATH_LINE_TO;
        data[n].header.length = 2;
        data[n + 1].point.x = outline.points[i].x;
        data[n + 1].point.y = outline.points[i].y;
        n += 2;
    }
    if (count > 0) {
        data[n].header.type = CAIRO_PATH_CLOSE_PATH;
        data[n].header.length = 1;
        n += 1;
    }
    paths[slot].status = CAIRO_STATUS_SUCCESS;
    paths[slot].data = data;
    paths[slot].num_data = n;
}

void initPaths()
{
    for (GeometrySlot slot = 0; slot < GEOMETRY_SLOTS; slot++)
        buildPath(slot);
}

const cairo_path_t* outlinePath(const Outline* outline)
{
    const GeometrySlot slot = outlineSlot(outline);
    return slot < 0 ? nullptr : &paths[slot];
}
