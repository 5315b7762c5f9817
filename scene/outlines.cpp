// outlines.cpp -- vertex lists of the regular polygons and the 14-pointed star.
#include "scene.h"

#include <cmath> // Required for: std::cos(), std::sin()

static const double TWO_PI = 6.283185307179586;
static const float STAR_STEP = 0.22439948f;   // Nearest float to 2*pi/28, bits 0x3e65c8fa
static const float STAR_INNER = 0.8f;         // Notch radius as a fraction of the tip radius
static const uint32_t STAR_POINTS = 28;

// Point at angle a on a circle of radius rho; cos and sin are rounded to float before
// the multiplication, which is why the triangle's x is -7.50000095 and not -7.5.
static Point2 pointOnCircle(float a, float rho)
{
    const float c = static_cast<float>(std::cos(static_cast<double>(a)));
    const float s = static_cast<float>(std::sin(static_cast<double>(a)));
    return Point2{static_cast<float>(static_cast<double>(c) * rho),
                  static_cast<float>(static_cast<double>(s) * rho)};
}

Outline polygonOutline(float radius, uint32_t corners)
{
    Outline outline{};
    if (corners > MAX_OUTLINE_POINTS)
        corners = MAX_OUTLINE_POINTS;
    outline.count = corners;
    const float step = static_cast<float>(TWO_PI / corners);
    for (uint32_t i = 0; i < corners; i++) {
        const float a = static_cast<float>(static_cast<double>(i) * step);
        outline.points[i] = pointOnCircle(a, radius);
    }
    return outline;
}

Outline starOutline(float radius)
{
    Outline outline{};
    outline.count = STAR_POINTS;
    const float inner = static_cast<float>(static_cast<double>(radius) * STAR_INNER);
    for (uint32_t i = 0; i < STAR_POINTS; i++) {
        const float a = static_cast<float>(static_cast<double>(i) * STAR_STEP);
        outline.points[i] = pointOnCircle(a, (i % 2 == 1) ? radius : inner);
    }
    return outline;
}
