// test_composition.cpp -- the rotation matrix and the per-frame draw list.
#include <cmath>

#include <gtest/gtest.h>

#include "float_bits.h"
#include "scene_fixture.h"

static void expectMatrix(const Matrix3x2& expected, const Matrix3x2& m)
{
    EXPECT_SAME_FLOAT(expected.m11, m.m11);
    EXPECT_SAME_FLOAT(expected.m12, m.m12);
    EXPECT_SAME_FLOAT(expected.m21, m.m21);
    EXPECT_SAME_FLOAT(expected.m22, m.m22);
    EXPECT_SAME_FLOAT(expected.dx, m.dx);
    EXPECT_SAME_FLOAT(expected.dy, m.dy);
}

TEST(RotateMatrixTest, CosineAndSineRoundedOnceFromDouble)
{
    const float angles[] = {0.0f, 90.0f, 180.0f, -90.0f, 108.000008f, 233.999985f, 359.9f};
    for (float angle : angles) {
        const double theta = angle * 3.141592653589793 / 180.0;
        const float c = static_cast<float>(std::cos(theta));
        const float s = static_cast<float>(std::sin(theta));
        SCOPED_TRACE(angle);
        expectMatrix({c, s, -s, c, 0.0f, 0.0f}, makeRotateMatrix(angle, Point2{0.0f, 0.0f}));
    }
}

TEST(RotateMatrixTest, KeepsItsCentreInPlace)
{
    const Point2 centre = {400.0f, 200.0f};
    const Matrix3x2 m = makeRotateMatrix(90.0f, centre);
    EXPECT_NEAR(400.0f, centre.x * m.m11 + centre.y * m.m21 + m.dx, 1e-3);
    EXPECT_NEAR(200.0f, centre.x * m.m12 + centre.y * m.m22 + m.dy, 1e-3);
    // A point right of the centre turns clockwise on a y-down screen: to below it.
    EXPECT_NEAR(400.0f, 410.0f * m.m11 + 200.0f * m.m21 + m.dx, 1e-3);
    EXPECT_NEAR(210.0f, 410.0f * m.m12 + 200.0f * m.m22 + m.dy, 1e-3);
}

TEST_F(SceneTest, ShapeTransforms)
{
    const float cos90 = static_cast<float>(std::cos(3.141592653589793 / 2));
    const struct {
        Shape shape;
        Matrix3x2 expected;
    } cases[] = {
        {{HEXAGON_SLOT, 10, 32, 35.0f, 400.0f, 0.0f, 1.0f}, {1, 0, 0, 1, 35, 400}},
        {{HEXAGON_SLOT, 10, 32, 0.0f, 0.0f, 90.0f, 2.0f}, {2 * cos90, 2, -2, 2 * cos90, 0, 0}},
        {{STAR_SLOT, 29, 33, 400.0f, 200.0f, 0.0f, floatOf(0xbf000001)},
         {floatOf(0xbf000001), 0, 0, floatOf(0xbf000001), 400, 200}},
    };
    for (const auto& c : cases) {
        hexRow.shapes[0] = c.shape;
        composeDrawList();
        SCOPED_TRACE(c.shape.angle);
        expectMatrix(c.expected, drawItems[0].transform);
    }

    // The outline point (15, 0) of the turned, doubled shape lands at (0, 30).
    hexRow.shapes[0] = {HEXAGON_SLOT, 10, 32, 0.0f, 0.0f, 90.0f, 2.0f};
    composeDrawList();
    const Matrix3x2& turned = drawItems[0].transform;
    EXPECT_NEAR(0.0f, 15 * turned.m11 + turned.dx, 1e-5);
    EXPECT_NEAR(30.0f, 15 * turned.m12 + turned.dy, 1e-5);
}

TEST_F(SceneTest, DrawItemsFollowGroupOrder)
{
    animate(0);
    composeDrawList();
    const struct {
        int item;
        const Shape* shape;
    } cases[] = {
        {0, &hexRow.shapes[0]},          {19, &hexRow.shapes[19]},
        {20, &pentagonColumn.shapes[0]}, {36, &pentagonColumn.shapes[16]},
        {37, &driftSquares.shapes[0]},   {136, &driftSquares.shapes[99]},
        {137, &starStack.shapes[0]},     {142, &starStack.shapes[5]},
    };
    for (const auto& c : cases) {
        const DrawItem& item = drawItems[c.item];
        EXPECT_EQ(&geometries[c.shape->geometry], item.geometry) << "item " << c.item;
        EXPECT_EQ(&brushes[c.shape->fill], item.fill) << "item " << c.item;
        EXPECT_EQ(&brushes[c.shape->outline], item.outline) << "item " << c.item;
        EXPECT_SAME_FLOAT(c.shape->x, item.transform.dx) << "item " << c.item;
        EXPECT_SAME_FLOAT(c.shape->y, item.transform.dy) << "item " << c.item;
    }
    // Star 5 at t = 0: half turn by its negative scale, nothing else.
    expectMatrix({floatOf(0xbf000001), 0, 0, floatOf(0xbf000001), 400, 200}, drawItems[142].transform);
}
