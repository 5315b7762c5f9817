// test_show_clock.cpp -- the show clock across the counter's wrap, and the end test.
#include <gtest/gtest.h>

#include "show_clock.h"

TEST(ShowClockTest, ElapsedSurvivesTheWrap)
{
    const struct {
        uint32_t start;
        uint32_t now;
        SceneClock elapsed;
    } cases[] = {
        {0, 0, 0},
        {1000, 4000, 3000},
        {0xFFFFFF00u, 0xFFFFFFFFu, 0xFF},
        {0xFFFFFF00u, 0x00000100u, 0x200}, // Wrapped between the readings
        {0xFFFFFFFFu, 37999u, 38000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.elapsed, elapsedSince(c.start, c.now)) << c.start << " -> " << c.now;
}

TEST(ShowClockTest, EndsAfterMoreThan38SecondsOrOnEscape)
{
    const struct {
        SceneClock elapsed;
        bool escape;
        bool over;
    } cases[] = {
        {0, false, false},     {37999, false, false}, {38000, false, false}, // Exactly 38000 goes on
        {38001, false, true},  {38005, false, true},  {0xFFFFFFFFu, false, true},
        {0, true, true},       {20000, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.over, showIsOver(c.elapsed, c.escape)) << c.elapsed << (c.escape ? " with Escape" : "");
}

// The loop's end test driven by a fake tick counter that wraps mid-show. Frames start
// every 20 ms from 10 ms on and take 15 ms: the frame at 37990 ends at 38005 and is the last.
TEST(ShowClockTest, FakeClockAcrossTheWrap)
{
    const uint32_t start = 0xFFFFFFFFu - 20000;
    uint32_t tick = start + 10;
    SceneClock lastFrame = 0;
    int frames = 0;
    for (;;) {
        lastFrame = elapsedSince(start, tick);
        frames++;
        tick += 15;
        if (showIsOver(elapsedSince(start, tick), false))
            break;
        tick += 5;
        ASSERT_LT(frames, 10000);
    }
    EXPECT_EQ(37990u, lastFrame);
    EXPECT_EQ(38005u, elapsedSince(start, tick));
    EXPECT_EQ(1900, frames);
}
