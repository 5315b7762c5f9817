// show_clock.cpp -- the show clock's arithmetic and the frame loop's end test.
#include "show_clock.h"

SceneClock elapsedSince(uint32_t startTick, uint32_t nowTick)
{
    // Unsigned subtraction wraps modulo 2^32, so a wrap between the readings is harmless.
    return nowTick - startTick;
}

bool showIsOver(SceneClock elapsed, bool escapeSeen)
{
    return elapsed > SHOW_DURATION_MS || escapeSeen;
}
