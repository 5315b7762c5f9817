// test_setup.cpp -- the scene's layout, palette, outline slots and the seeded generator.
#include <vector>

#include <gtest/gtest.h>

#include "float_bits.h"
#include "scene_fixture.h"

TEST(SceneRandomTest, FirstOutputsAfterSeedZero)
{
    SceneRandom random;
    seed(&random, 0);
    const uint32_t expected[] = {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285};
    for (uint32_t value : expected)
        EXPECT_EQ(value, next(&random));
}

TEST(SceneRandomTest, StaysWithinFifteenBitsAcrossTheStateWrap)
{
    SceneRandom random;
    seed(&random, 0xFFFFFFFFu);
    for (int i = 0; i < 1000; i++)
        EXPECT_LE(next(&random), 32767u);
}

TEST(PaletteTest, ShadesAreRoundedOnce)
{
    const struct {
        int k;
        uint32_t bits;
    } cases[] = {
        {0, 0x00000000}, {1, 0x3dcccccd}, {3, 0x3e99999a}, {8, 0x3f4ccccd}, {9, 0x3f666667},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bits, bitsOf(shadeOf(c.k))) << "k = " << c.k;
}

TEST_F(SceneTest, PaletteColoursAndStartingOpacity)
{
    const struct {
        PaletteSlot slot;
        Color color;
    } cases[] = {
        {0, {0.0f, 0.0f, 0.0f, 0.3f}},
        {8, {shadeOf(8), 0.0f, 0.0f, 0.3f}},
        {19, {0.0f, floatOf(0x3f666667), 0.0f, 0.3f}},
        {29, {0.0f, 0.0f, floatOf(0x3f666667), 0.3f}},
        {30, {1.0f, 1.0f, 1.0f, 0.8f}},
        {31, {1.0f, 0.8f, 0.8f, 0.4f}},
        {32, {0.8f, 1.0f, 0.8f, 0.4f}},
        {33, {0.8f, 0.8f, 1.0f, 0.4f}},
        {34, {1.0f, 1.0f, 1.0f, 0.8f}},
        {35, {1.0f, 1.0f, 1.0f, 0.8f}},
        {36, {0.0f, 0.0f, 0.0f, 1.0f}},
    };
    for (const auto& c : cases) {
        const Color& got = brushes[c.slot].color;
        EXPECT_SAME_FLOAT(c.color.r, got.r) << "slot " << c.slot;
        EXPECT_SAME_FLOAT(c.color.g, got.g) << "slot " << c.slot;
        EXPECT_SAME_FLOAT(c.color.b, got.b) << "slot " << c.slot;
        EXPECT_SAME_FLOAT(c.color.a, got.a) << "slot " << c.slot;
    }
    for (const Brush& brush : brushes)
        EXPECT_EQ(1.0f, brush.opacity);
}

TEST_F(SceneTest, OutlineSlotsHoldTheirShapes)
{
    const uint32_t counts[GEOMETRY_SLOTS] = {0, 0, 0, 3, 4, 5, 6, 28};
    for (int slot = 0; slot < GEOMETRY_SLOTS; slot++)
        EXPECT_EQ(counts[slot], geometries[slot].count) << "slot " << slot;
}

TEST_F(SceneTest, RowAndColumnLayout)
{
    for (int i = 0; i < HEX_COUNT; i++) {
        const Shape& s = hexRow.shapes[i];
        EXPECT_EQ(HEXAGON_SLOT, s.geometry);
        EXPECT_EQ(10 + i / 2, s.fill);
        EXPECT_EQ(32, s.outline);
        EXPECT_EQ(35.0f * i, s.x);
        EXPECT_EQ(400.0f, s.y);
        // Untouched until the first frame.
        EXPECT_EQ(0.0f, s.angle);
        EXPECT_EQ(1.0f, s.scale);
        EXPECT_EQ(100 * i, hexRow.timings[i].start);
        EXPECT_EQ(100 * i + 2000, hexRow.timings[i].end);
        EXPECT_TRUE(hexRow.timings[i].repeat);
    }
    EXPECT_EQ(665.0f, hexRow.shapes[19].x);
    EXPECT_EQ(19, hexRow.shapes[19].fill);

    for (int i = 0; i < PENTAGON_COUNT; i++) {
        const Shape& s = pentagonColumn.shapes[i];
        EXPECT_EQ(PENTAGON_SLOT, s.geometry);
        EXPECT_EQ(20 + i / 2, s.fill);
        EXPECT_EQ(33, s.outline);
        EXPECT_EQ(100.0f, s.x);
        EXPECT_EQ(35.0f * i, s.y);
        EXPECT_EQ(100 * i, pentagonColumn.timings[i].start);
        EXPECT_EQ(100 * i + 2000, pentagonColumn.timings[i].end);
        EXPECT_TRUE(pentagonColumn.timings[i].repeat);
    }
    EXPECT_EQ(560.0f, pentagonColumn.shapes[16].y);
    EXPECT_EQ(28, pentagonColumn.shapes[16].fill);
}

TEST_F(SceneTest, StarScalesAndWindows)
{
    const uint32_t scaleBits[STAR_COUNT] = {0x3f800000, 0x3f333333, 0x3ecccccc,
                                            0x3dccccc8, 0xbe4cccd0, 0xbf000001};
    for (int k = 0; k < STAR_COUNT; k++) {
        const Shape& s = starStack.shapes[k];
        EXPECT_EQ(scaleBits[k], bitsOf(s.scale)) << "star " << k;
        EXPECT_EQ(STAR_SLOT, s.geometry);
        EXPECT_EQ(29, s.fill);
        EXPECT_EQ(33, s.outline);
        EXPECT_EQ(400.0f, s.x);
        EXPECT_EQ(200.0f, s.y);
        EXPECT_EQ(0, starStack.timings[k].start);
        EXPECT_EQ(10000, starStack.timings[k].end);
        EXPECT_TRUE(starStack.timings[k].repeat);
    }
}

TEST_F(SceneTest, DriftingSquaresFromTheGenerator)
{
    const struct {
        int i;
        float y;
        uint32_t scaleBits;
    } placements[] = {
        {0, 38.0f, 0x3f09ba5e},
        {1, 238.0f, 0x3f12f1aa},
        {2, 355.0f, 0x3f31a9fc},
    };
    for (const auto& c : placements) {
        EXPECT_EQ(c.y, driftSquares.shapes[c.i].y) << "square " << c.i;
        EXPECT_EQ(c.scaleBits, bitsOf(driftSquares.shapes[c.i].scale)) << "square " << c.i;
    }
    EXPECT_EQ(165.0f, driftSquares.shapes[99].y);

    const struct {
        int i;
        int32_t start;
        float driftTo;
        float driftFrom;
    } crossings[] = {
        {0, -2560, -952.0f, 1575.0f},
        {2, -522, -733.0f, 1155.0f},
        {99, -4122, -46.0f, 1497.0f},
    };
    for (const auto& c : crossings) {
        const Timing& timing = driftSquares.timings[c.i];
        EXPECT_EQ(c.start, timing.start) << "square " << c.i;
        EXPECT_EQ(c.start + 20000, timing.end) << "square " << c.i;
        EXPECT_TRUE(timing.repeat);
        EXPECT_EQ(c.driftTo, driftTo[c.i]) << "square " << c.i;
        EXPECT_EQ(c.driftFrom, driftFrom[c.i]) << "square " << c.i;
    }

    for (int i = 0; i < SQUARE_COUNT; i++) {
        const Shape& s = driftSquares.shapes[i];
        EXPECT_EQ(SQUARE_SLOT, s.geometry);
        EXPECT_EQ(8, s.fill);
        EXPECT_EQ(31, s.outline);
        EXPECT_EQ(0.0f, s.angle);
        EXPECT_GE(s.scale, 0.5f);
        EXPECT_LE(s.scale, floatOf(0x3f32b021));
        EXPECT_LE(driftTo[i], 0.0f);
        EXPECT_GE(driftFrom[i], 700.0f);
    }
}

TEST(SquareScaleTest, RoundedOnceInDouble)
{
    const struct {
        uint32_t remainder;
        uint32_t bits;
    } cases[] = {
        {0, 0x3f000000},  // 0.5
        {15, 0x3f07ae15}, // 0.53000003; float arithmetic would give 0x3f07ae14
        {99, 0x3f32b021}, // 0.698
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bits, bitsOf(squareScaleOf(c.remainder))) << "remainder " << c.remainder;
}

TEST_F(SceneTest, SettingUpAgainGivesTheSameScene)
{
    const auto squares = driftSquares;
    const auto from = std::vector<float>(driftFrom, driftFrom + SQUARE_COUNT);
    initShapes();
    initTimings();
    for (int i = 0; i < SQUARE_COUNT; i++) {
        EXPECT_EQ(bitsOf(squares.shapes[i].y), bitsOf(driftSquares.shapes[i].y));
        EXPECT_EQ(bitsOf(squares.shapes[i].scale), bitsOf(driftSquares.shapes[i].scale));
        EXPECT_EQ(squares.timings[i].start, driftSquares.timings[i].start);
        EXPECT_EQ(from[i], driftFrom[i]);
    }
}
