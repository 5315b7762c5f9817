// test_outlines.cpp -- vertex lists of the polygons and the star, bit for bit.
#include <cmath>

#include <gtest/gtest.h>

#include "float_bits.h"
#include "scene.h"

static void expectPoints(const Outline& outline, std::initializer_list<Point2> expected)
{
    ASSERT_EQ(expected.size(), outline.count);
    int i = 0;
    for (const Point2& p : expected) {
        EXPECT_SAME_FLOAT(p.x, outline.points[i].x) << "point " << i;
        EXPECT_SAME_FLOAT(p.y, outline.points[i].y) << "point " << i;
        i++;
    }
}

TEST(PolygonOutlineTest, TriangleSquareHexagon)
{
    // cos and sin are rounded to float before the radius multiplies them, hence -7.50000095.
    expectPoints(polygonOutline(15.0f, 3), {{15, 0}, {-7.50000095f, 12.9903812f}, {-7.49999857f, -12.9903812f}});
    expectPoints(polygonOutline(15.0f, 4),
                 {{15, 0}, {-6.55670817e-07f, 15}, {-15, -1.31134163e-06f}, {1.78873208e-07f, -15}});
    expectPoints(polygonOutline(15.0f, 6), {{15, 0},
                                            {7.49999952f, 12.9903812f},
                                            {-7.50000095f, 12.9903812f},
                                            {-15, -1.31134163e-06f},
                                            {-7.49999857f, -12.9903812f},
                                            {7.49999857f, -12.9903812f}});
}

TEST(PolygonOutlineTest, AngleStepIsRoundedToFloat)
{
    // Vertex 1 sits at the float step, whose bits are fixed per corner count.
    const struct {
        uint32_t corners;
        uint32_t stepBits;
    } cases[] = {{3, 0x40060a92}, {4, 0x3fc90fdb}, {5, 0x3fa0d97c}, {6, 0x3f860a92}};
    for (const auto& c : cases) {
        const double step = floatOf(c.stepBits);
        const Outline outline = polygonOutline(15.0f, c.corners);
        EXPECT_SAME_FLOAT(static_cast<float>(static_cast<float>(std::cos(step)) * 15.0), outline.points[1].x);
        EXPECT_SAME_FLOAT(static_cast<float>(static_cast<float>(std::sin(step)) * 15.0), outline.points[1].y);
    }
}

TEST(StarOutlineTest, TipsAndNotches)
{
    const Outline star = starOutline(200.0f);
    ASSERT_EQ(28u, star.count);
    const struct {
        int i;
        Point2 p;
    } cases[] = {
        {0, {160, 0}},
        {1, {194.98558f, 44.5041847f}},
        {2, {144.155014f, 69.421402f}},
        {27, {194.98558f, -44.5041733f}},
    };
    for (const auto& c : cases) {
        EXPECT_SAME_FLOAT(c.p.x, star.points[c.i].x) << "point " << c.i;
        EXPECT_SAME_FLOAT(c.p.y, star.points[c.i].y) << "point " << c.i;
    }
    for (uint32_t i = 0; i < star.count; i++) {
        const double radius = std::hypot(star.points[i].x, star.points[i].y);
        EXPECT_NEAR(i % 2 == 1 ? 200.0 : 160.0, radius, 1e-3) << "point " << i;
    }
}
