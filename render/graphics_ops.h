// graphics_ops.h -- the plain graphics types and the two operations the scene needs.
// This header is the whole seam between the scene and the graphics layer: it pulls in
// no window, drawing or text library.
#pragma once

#include <cstdint>

// A point in scene units (x to the right, y downward).
struct Point2 {
    float x;
    float y;
};

// A straight (not premultiplied) colour, each channel 0..1.
struct Color {
    float r;
    float g;
    float b;
    float a;
};

// Affine matrix in the row-vector convention: (x, y) maps to
// (x*m11 + y*m21 + dx, x*m12 + y*m22 + dy).
struct Matrix3x2 {
    float m11;
    float m12;
    float m21;
    float m22;
    float dx;
    float dy;
};

// A solid-colour brush. What it paints has alpha color.a * opacity; the drawing code
// reads both fields when it draws.
struct Brush {
    Color color;
    float opacity;
};

// A brush of the given colour at opacity 1.
Brush makeSolidBrush(Color color);

// Sets the factor that later drawing with the brush multiplies its alpha by.
void setOpacity(Brush* brush, float opacity);

// Rotation by angle degrees about centre, clockwise on a y-down screen. The cosine and
// sine of angle*pi/180 are taken in double precision and each rounded once to float.
Matrix3x2 makeRotateMatrix(float angle, Point2 centre);
