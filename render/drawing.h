// drawing.h -- what the drawing core's files share: the outline paths and the text lines.
// Internal to the core; backends and the scene never include it.
#pragma once

#include <cairo.h> // Required for: cairo_path_t, cairo_matrix_t

#include "raster.h" // Required for: RasterBand
#include "scene.h"  // Required for: Outline, geometries

constexpr double OUTLINE_WIDTH = 4.0; // Outline units: scaled with each shape
constexpr double MITER_LIMIT = 10.0;  // Longest mitre, in half widths, before a corner is bevelled

// The slot an outline sits in, or -1 when it is not one of geometries.
inline GeometrySlot outlineSlot(const Outline* outline)
{
    for (GeometrySlot slot = 0; slot < GEOMETRY_SLOTS; slot++)
        if (outline == &geometries[slot])
            return slot;
    return -1;
}

// Builds one closed path per outline slot from geometries; empty slots get empty paths.
void initPaths();

// The path built for an outline slot, or nullptr when outline is not one of geometries.
const cairo_path_t* outlinePath(const Outline* outline);

// Builds, per outline slot, the ring a 4-unit stroke with mitred corners (limit 10)
// covers: the outline moved out and in by half the width, as two closed contours that
// run opposite ways, so the hole has winding 0.
void initRings();

// The ring built for an outline slot, to be filled with the non-zero rule; nullptr when
// outline is not one of geometries.
const cairo_path_t* outlineRing(const Outline* outline);

// Sets up the text format and lays out the three text lines once. Prints one line on
// stderr and returns false when no font can be found at all.
bool initText();

// Draws the three text lines into the band, the 640 x 480 scene mapped by mapping, each
// with its palette brush; a line whose brush is fully transparent is skipped.
void drawTextLines(RasterBand* band, const cairo_matrix_t& mapping);

// Fills path mapped by m into the band with the brush's colour at alpha color.a * opacity;
// nothing when that alpha is 0.
void fillWithBrush(RasterBand* band, const cairo_path_t* path, const cairo_matrix_t& m, const Brush* brush);
