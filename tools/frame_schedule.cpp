// frame_schedule.cpp -- frame times in 64-bit integers, so no rate or range drifts or overflows.
#include "frame_schedule.h"

int64_t frameCount(uint32_t from, uint32_t to, int fps)
{
    // floor(n * 1000 / fps) <= to - from  <=>  n * 1000 < (to - from + 1) * fps.
    const int64_t span = static_cast<int64_t>(to) - from + 1;
    return (span * fps + 999) / 1000;
}

uint32_t frameTime(uint32_t from, int fps, int64_t n)
{
    return static_cast<uint32_t>(from + n * 1000 / fps);
}
