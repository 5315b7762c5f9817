// raster.h -- filling polygons with exact-area antialiasing straight into 32-bit pixels.
// Each frame is drawn with these alone: no allocation, no library state, and a band of
// rows can be drawn on its own thread. Internal to the drawing core.
#pragma once

#include <cstdint>

#include <cairo.h> // Required for: cairo_path_t, cairo_matrix_t

// One horizontal band of a target being drawn, with the coverage cells it fills
// polygons through. Cells and touched bits are all zero between polygons.
struct RasterBand {
    unsigned char* pixels; // The target's first row
    int stride;            // Bytes per row
    int top;               // Rows top..bottom-1 are drawn
    int bottom;
    int left;              // Columns left..right-1 are drawn (the scene's columns)
    int right;
    float* cells;          // Per row, right - left + 2 coverage deltas
    uint64_t* touched;     // Per row, one bit per cell that may be non-zero
    int cellsPerRow;
    int wordsPerRow;
    int capacityRows;      // Rows cells and touched have room for
    int capacityCells;     // Cells per row they have room for
};

// Makes room for rows x columns of cells, keeping what is there when it is enough.
// False when memory runs out (the band then has no room at all).
bool reserveBand(RasterBand* band, int rows, int columns);

// Releases the band's cells.
void releaseBand(RasterBand* band);

// Fills rows [top, bottom) of the band's target, columns [x0, x1), with colour, opaque.
void fillRows(const RasterBand& band, int top, int bottom, int x0, int x1, uint32_t colour);

// Scales rows [top, bottom), columns [x0, x1) of the band's target toward black, each
// channel times coverage / 255: what is left of pixels a picture only partly covers.
void fadeRows(const RasterBand& band, int top, int bottom, int x0, int x1, uint32_t coverage);

// Fills path (move-to, line-to and close-path; a curve counts as a line to its end) mapped
// by m with colour (premultiplied 0xAARRGGBB), non-zero winding, inside the band's rows and
// columns. Nothing happens for a path whose mapped extent misses the band or is not finite.
void fillPath(RasterBand* band, const cairo_path_t* path, const cairo_matrix_t& m, uint32_t colour);
