// compose.cpp -- turns the shape records into this frame's draw list.
#include "scene.h"

// Each element is formed in double and rounded to float, in two steps: scale then
// rotate (P = S x R), then translate (P x T). The zero terms are kept because they
// decide the sign of zero results.
static Matrix3x2 shapeTransform(const Shape& shape)
{
    const Matrix3x2 r = makeRotateMatrix(shape.angle, Point2{0.0f, 0.0f});
    const double s = shape.scale;

    Matrix3x2 p;
    p.m11 = static_cast<float>(s * r.m11 + 0.0 * r.m21);
    p.m12 = static_cast<float>(s * r.m12 + 0.0 * r.m22);
    p.m21 = static_cast<float>(0.0 * r.m11 + s * r.m21);
    p.m22 = static_cast<float>(0.0 * r.m12 + s * r.m22);
    p.dx = static_cast<float>(0.0 * r.m11 + 0.0 * r.m21 + r.dx);
    p.dy = static_cast<float>(0.0 * r.m12 + 0.0 * r.m22 + r.dy);

    Matrix3x2 m;
    m.m11 = static_cast<float>(p.m11 + p.m12 * 0.0);
    m.m12 = static_cast<float>(p.m11 * 0.0 + p.m12);
    m.m21 = static_cast<float>(p.m21 + p.m22 * 0.0);
    m.m22 = static_cast<float>(p.m21 * 0.0 + p.m22);
    m.dx = static_cast<float>(p.dx + p.dy * 0.0 + shape.x);
    m.dy = static_cast<float>(p.dx * 0.0 + p.dy + shape.y);
    return m;
}

static int composeGroup(const Shape* shapes, int count, int item)
{
    for (int i = 0; i < count; i++, item++) {
        const Shape& shape = shapes[i];
        drawItems[item].geometry = &geometries[shape.geometry];
        drawItems[item].fill = &brushes[shape.fill];
        drawItems[item].outline = &brushes[shape.outline];
        drawItems[item].transform = shapeTransform(shape);
    }
    return item;
}

void composeDrawList()
{
    int item = 0;
    item = composeGroup(hexRow.shapes, HEX_COUNT, item);
    item = composeGroup(pentagonColumn.shapes, PENTAGON_COUNT, item);
    item = composeGroup(driftSquares.shapes, SQUARE_COUNT, item);
    composeGroup(starStack.shapes, STAR_COUNT, item);
}
