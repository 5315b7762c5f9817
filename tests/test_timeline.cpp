// test_timeline.cpp -- progress, ramps and the animated state at chosen instants.
#include <gtest/gtest.h>

#include "float_bits.h"
#include "scene_fixture.h"

TEST(ProgressTest, WindowsAndRepeats)
{
    const struct {
        Timing timing;
        SceneClock t;
        float expected;
    } cases[] = {
        {{0, 2000, true}, 0, 0.0f},
        {{0, 2000, true}, 1000, 0.5f},
        {{0, 2000, true}, 1999, static_cast<float>(1999.0 / 2000.0)},
        {{0, 2000, true}, 2000, 0.0f},  // Restarts exactly at the period's end
        {{0, 2000, false}, 2000, 1.0f}, // Holds at the end without repeat
        {{0, 2000, false}, 90000, 1.0f},
        {{500, 2500, true}, 3000, 0.25f},
        {{500, 2500, true}, 499, 0.0f}, // Not started yet
        {{-2560, 17440, true}, 0, 0.128f},
        {{-2560, 17440, true}, 17440, 0.0f},
        {{-2560, 17440, true}, 37439, static_cast<float>(19999.0 / 20000.0)},
        // Past 2^31 the clock reads as negative: most windows have not started...
        {{0, 2000, true}, 0x80000000u, 0.0f},
        // ...but one that starts before 0 has, and its differences wrap correctly.
        {{-2560, 17440, true}, 0xFFFFFFFFu, static_cast<float>(2559.0 / 20000.0)},
    };
    for (const auto& c : cases)
        EXPECT_SAME_FLOAT(c.expected, progress(c.timing, c.t))
            << "window " << c.timing.start << ".." << c.timing.end << " at " << c.t;
}

TEST(RampTest, TwoSecondsFromItsStart)
{
    const struct {
        SceneClock t;
        float expected;
    } cases[] = {
        {0, 0.0f}, {1999, 0.0f}, {2000, 0.0f}, {2500, 0.25f}, {3000, 0.5f},
        {3999, static_cast<float>(1999.0 / 2000.0)}, {4000, 1.0f}, {38000, 1.0f},
        {0xFFFFFFFFu, 0.0f}, // Reads as -1
    };
    for (const auto& c : cases)
        EXPECT_SAME_FLOAT(c.expected, ramp(c.t, 2000)) << "t = " << c.t;
}

// Opacity of every slot whose value is given; all others must be 0.
static void expectOpacities(SceneClock t, std::initializer_list<std::pair<PaletteSlot, float>> nonZero)
{
    animate(t);
    float expected[PALETTE_SIZE] = {};
    for (const auto& entry : nonZero)
        expected[entry.first] = entry.second;
    for (int slot = 0; slot < PALETTE_SIZE; slot++)
        EXPECT_SAME_FLOAT(expected[slot], brushes[slot].opacity) << "slot " << slot << " at " << t;
}

TEST_F(SceneTest, OpacitySchedule)
{
    expectOpacities(0, {});
    expectOpacities(3000, {{10, 0.5f}, {11, 0.5f}, {12, 0.5f}, {13, 0.5f}, {14, 0.5f}, {15, 0.5f},
                           {16, 0.5f}, {17, 0.5f}, {18, 0.5f}, {19, 0.5f}, {32, 0.5f}});

    const struct {
        SceneClock t;
        PaletteSlot slot;
        float expected;
    } cases[] = {
        {7000, 20, 0.5f}, {7000, 29, 0.5f}, {7000, 33, 0.5f}, {7000, 0, 0.0f},
        {11000, 8, 0.5f}, {11000, 31, 0.5f}, {12000, 9, 1.0f},
        {15000, 30, 0.5f}, {17000, 30, 1.0f}, {19000, 30, 0.5f}, {20000, 30, 0.0f},
        {25000, 34, 1.0f}, {27000, 34, 0.5f}, {28000, 34, 0.0f},
        {31000, 35, 0.5f}, {38000, 35, 1.0f},
        {35999, 36, 0.0f}, {36000, 36, 0.0f}, {37000, 36, 0.5f}, {38000, 36, 1.0f},
    };
    for (const auto& c : cases) {
        animate(c.t);
        EXPECT_SAME_FLOAT(c.expected, brushes[c.slot].opacity) << "slot " << c.slot << " at " << c.t;
    }
}

struct SwingCase {
    SceneClock t;
    int i;
    float angle;
    float y;
    uint32_t scaleBits;
};

TEST_F(SceneTest, HexagonsBobAndBreathe)
{
    const SwingCase cases[] = {
        {3000, 0, 180.0f, 375.0f, 0x3f800000}, // Half period: scale exactly 1
        {3000, 5, 90.0f, 350.0f, 0x3f99999a},  // Quarter period: top, 1.2
        {500, 0, 90.0f, 350.0f, 0x3f99999a},
        {1500, 0, 270.0f, 400.0f, 0x3f4ccccd}, // Three quarters: bottom, 0.8
        {50, 7, 0.0f, 375.0f, 0x3f800000},     // Window not started yet
    };
    for (const auto& c : cases) {
        animate(c.t);
        const Shape& s = hexRow.shapes[c.i];
        EXPECT_SAME_FLOAT(c.angle, s.angle) << "hexagon " << c.i << " at " << c.t;
        EXPECT_SAME_FLOAT(c.y, s.y) << "hexagon " << c.i << " at " << c.t;
        EXPECT_EQ(c.scaleBits, bitsOf(s.scale)) << "hexagon " << c.i << " at " << c.t;
        EXPECT_EQ(35.0f * c.i, s.x);
    }
}

TEST_F(SceneTest, PentagonsSwingSideways)
{
    const struct {
        SceneClock t;
        int i;
        float x;
    } cases[] = {
        {3000, 5, 150.0f}, {1500, 0, 100.0f}, {3000, 0, 125.0f}, {50, 3, 125.0f},
    };
    for (const auto& c : cases) {
        animate(c.t);
        EXPECT_SAME_FLOAT(c.x, pentagonColumn.shapes[c.i].x) << "pentagon " << c.i << " at " << c.t;
        EXPECT_EQ(35.0f * c.i, pentagonColumn.shapes[c.i].y);
    }
}

TEST_F(SceneTest, StarsTurnInOppositeDirections)
{
    animate(2500);
    EXPECT_SAME_FLOAT(-90.0f, starStack.shapes[0].angle);
    EXPECT_SAME_FLOAT(90.0f, starStack.shapes[1].angle);
    EXPECT_SAME_FLOAT(-90.0f, starStack.shapes[4].angle);
    EXPECT_SAME_FLOAT(90.0f, starStack.shapes[5].angle);
    EXPECT_EQ(floatOf(0xbf000001), starStack.shapes[5].scale); // animate leaves scale alone
}

TEST_F(SceneTest, SquaresDriftAndRestart)
{
    // Square 0's window is -2560..17440: 12.8 % into its crossing at the start.
    const struct {
        SceneClock t;
        float x;
    } cases[] = {
        {0, static_cast<float>((1.0 - 0.128f) * 1575.0 + 0.128f * -952.0)},
        {17439, static_cast<float>((1.0 - 19999.0f / 20000) * 1575.0 + (19999.0f / 20000) * -952.0)},
        {17440, 1575.0f}, // Back at driftFrom
    };
    for (const auto& c : cases) {
        animate(c.t);
        EXPECT_SAME_FLOAT(c.x, driftSquares.shapes[0].x) << "at " << c.t;
        EXPECT_EQ(38.0f, driftSquares.shapes[0].y);
    }
}

TEST_F(SceneTest, SameTimeSameState)
{
    animate(12345);
    const auto hexagons = hexRow;
    const auto squares = driftSquares;
    animate(30000);
    animate(12345);
    for (int i = 0; i < HEX_COUNT; i++)
        EXPECT_EQ(bitsOf(hexagons.shapes[i].y), bitsOf(hexRow.shapes[i].y));
    for (int i = 0; i < SQUARE_COUNT; i++)
        EXPECT_EQ(bitsOf(squares.shapes[i].x), bitsOf(driftSquares.shapes[i].x));
}
