// graphics_ops.cpp -- brushes and the rotation matrix, free of any platform library.
#include "graphics_ops.h"

#include <cmath> // Required for: std::cos(), std::sin()

static const double PI = 3.141592653589793;

Brush makeSolidBrush(Color color)
{
    Brush brush;
    brush.color = color;
    brush.opacity = 1.0f;
    return brush;
}

void setOpacity(Brush* brush, float opacity)
{
    brush->opacity = opacity;
}

Matrix3x2 makeRotateMatrix(float angle, Point2 centre)
{
    const double theta = static_cast<double>(angle) * PI / 180.0;
    const float c = static_cast<float>(std::cos(theta));
    const float s = static_cast<float>(std::sin(theta));
    const double cx = centre.x;
    const double cy = centre.y;

    Matrix3x2 m;
    m.m11 = c;
    m.m12 = s;
    m.m21 = -s;
    m.m22 = c;
    // The centre stays where it is: centre - centre * R.
    m.dx = static_cast<float>(cx - (cx * c - cy * s));
    m.dy = static_cast<float>(cy - (cx * s + cy * c));
    return m;
}
