// y4m_stream.h -- the YUV4MPEG2 container: a text header, then each frame's planes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The stream header for width x height 4:2:0 frames at fps frames a second: progressive,
// square pixels, chroma at the centre of each 2 x 2 block, limited range.
std::string y4mHeader(int width, int height, int fps);

// Writes one frame's marker and its yuv420Size bytes to stream. False on a write error,
// with errno set.
bool writeY4mFrame(FILE* stream, const unsigned char* yuv, size_t size);
