// yuv420.h -- a drawn frame as 8-bit BT.601 limited-range Y'CbCr 4:2:0, planar.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render_target.h" // Required for: RenderTarget

// Bytes of a width x height 4:2:0 frame: the Y plane, then Cb and Cr at half size
// rounded up in each direction.
size_t yuv420Size(int width, int height);

// Y' of one 0..255 RGB colour: 16 (black) .. 235 (white).
int lumaOf(int r, int g, int b);

// Cb and Cr of one 0..255 RGB colour: 16..240, 128 for any grey.
int blueDifferenceOf(int r, int g, int b);
int redDifferenceOf(int r, int g, int b);

// Converts image into out (yuv420Size bytes: Y, Cb, Cr planes, rows packed). Each chroma
// sample is that of the mean colour of its 2 x 2 block, so it sits at the block's centre;
// at an odd right or bottom edge the block is the one column or row that is there.
void convertToYuv420(const RenderTarget& image, unsigned char* out);
