// frame_schedule.h -- which show times a video captures: whole milliseconds at a fixed rate.
#pragma once

#include <cstdint>

// Number of frames from..to at fps: every n with from + floor(n * 1000 / fps) <= to.
// Needs fps >= 1 and from <= to.
int64_t frameCount(uint32_t from, uint32_t to, int fps);

// Show time of frame n: from + floor(n * 1000 / fps) ms.
uint32_t frameTime(uint32_t from, int fps, int64_t n);
