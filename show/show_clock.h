// show_clock.h -- the show clock's arithmetic and the frame loop's end test.
#pragma once

#include <cstdint>

#include "scene.h" // Required for: SceneClock, SHOW_DURATION_MS

// Milliseconds from the start reading to now, correct across the counter's wrap at 2^32.
SceneClock elapsedSince(uint32_t startTick, uint32_t nowTick);

// True once more than SHOW_DURATION_MS have passed (exactly 38000 goes on) or Escape was seen.
bool showIsOver(SceneClock elapsed, bool escapeSeen);
