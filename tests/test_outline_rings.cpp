// test_outline_rings.cpp -- outlines drawn from their prepared rings against cairo's own stroker.
#include <algorithm>
#include <cmath>

#include <cairo.h> // Required for: the plain stroke the rings must reproduce

#include "render_fixture.h"

// The draw items as a plain reference: each outline filled, then stroked by cairo at
// width 4 under its transform with mitred corners (limit 10) and butt caps, and the
// overlay; text is left out, so the frame under test must have its text brushes at 0.
static Frame referenceFrame(int width, int height)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    const double scale = std::min(width / 640.0, height / 480.0);
    cairo_matrix_t mapping;
    cairo_matrix_init(&mapping, scale, 0, 0, scale, std::floor((width - 640 * scale) / 2),
                      std::floor((height - 480 * scale) / 2));
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_set_matrix(cr, &mapping);
    cairo_rectangle(cr, 0, 0, 640, 480);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0, 0.25, 0);
    cairo_paint(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_line_width(cr, 4.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (const DrawItem& item : drawItems) {
        const Matrix3x2& m = item.transform;
        cairo_matrix_t transform;
        cairo_matrix_init(&transform, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
        cairo_set_matrix(cr, &mapping);
        cairo_transform(cr, &transform);
        cairo_new_path(cr);
        for (uint32_t i = 0; i < item.geometry->count; i++)
            cairo_line_to(cr, item.geometry->points[i].x, item.geometry->points[i].y);
        cairo_close_path(cr);
        const Brush* fill = item.fill;
        cairo_set_source_rgba(cr, fill->color.r, fill->color.g, fill->color.b, fill->color.a * fill->opacity);
        cairo_fill_preserve(cr);
        const Brush* outline = item.outline;
        cairo_set_source_rgba(cr, outline->color.r, outline->color.g, outline->color.b,
                              outline->color.a * outline->opacity);
        cairo_stroke(cr);
    }
    cairo_set_matrix(cr, &mapping);
    cairo_set_source_rgba(cr, 0, 0, 0, brushes[BLACK_OVERLAY].color.a * brushes[BLACK_OVERLAY].opacity);
    cairo_paint(cr);
    cairo_surface_flush(surface);
    const RenderTarget target = {cairo_image_surface_get_data(surface), width, height,
                                 cairo_image_surface_get_stride(surface)};
    Frame frame = copyFrame(target);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return frame;
}

// Largest and mean channel difference between two frames of one size.
static void expectClose(const Frame& expected, const Frame& actual)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    int worst = 0;
    double total = 0.0;
    for (size_t i = 0; i < expected.pixels.size(); i++) {
        const Rgb& a = expected.pixels[i];
        const Rgb& b = actual.pixels[i];
        const int diff = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        worst = std::max(worst, diff);
        total += diff;
    }
    // Edges are the same to within a fraction of a pixel's coverage.
    EXPECT_LE(worst, 10);
    EXPECT_LT(total / expected.pixels.size(), 0.05);
}

class OutlineRingTest : public RenderTest {
protected:
    void hideText()
    {
        setOpacity(&brushes[TEXT_LINE_1], 0.0f);
        setOpacity(&brushes[TEXT_LINE_2], 0.0f);
        setOpacity(&brushes[TEXT_LINE_3], 0.0f);
    }

    void TearDown() override
    {
        // Put back the outlines a test replaced, and their paths.
        initGeometries();
        ASSERT_TRUE(initDrawing());
    }
};

// The show's own frames, at the sizes the capture tool and the video use.
TEST_F(OutlineRingTest, FramesMatchCairoStrokes)
{
    struct Case {
        SceneClock t;
        int width;
        int height;
    };
    const Case cases[] = {
        {3000, 640, 480},   // Hexagons, half faded in
        {8000, 640, 480},   // Pentagons and the star stack
        {12000, 640, 480},  // Everything, the squares too
        {12000, 1600, 1200}, // The same at 2.5 times the size
        {37000, 640, 480},  // Under the half-opaque overlay
        {24000, 1000, 480}, // Letterboxed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t << " ms, " << c.width << " x " << c.height);
        prepare(c.t, c.width, c.height);
        hideText();
        expectClose(referenceFrame(c.width, c.height), draw());
    }
}

// Corners sharper than the scene's own: the triangle the scene builds but never draws
// (60 degrees), then thin spikes either side of the mitre limit (about 11.5 degrees):
// a 13-degree tip keeps its mitre, an 8-degree tip is bevelled.
static void makeSpike(Outline* spike, double tipDegrees)
{
    const double half = tipDegrees / 2.0 * 3.141592653589793 / 180.0;
    spike->count = 3;
    spike->points[0] = Point2{0.0f, 0.0f};
    spike->points[1] = Point2{static_cast<float>(40.0 * std::cos(half)), static_cast<float>(40.0 * std::sin(half))};
    spike->points[2] = Point2{static_cast<float>(40.0 * std::cos(half)), static_cast<float>(-40.0 * std::sin(half))};
}

TEST_F(OutlineRingTest, SharpCornersMatchCairoStrokes)
{
    prepare(12000);
    hideText();
    DrawItem* squares = &drawItems[HEX_COUNT + PENTAGON_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++)
        squares[i].geometry = &geometries[TRIANGLE_SLOT];
    {
        SCOPED_TRACE("triangles");
        expectClose(referenceFrame(640, 480), draw());
    }

    // Slot 0 is empty in the scene; here it holds the second spike.
    makeSpike(&geometries[0], 13.0);
    makeSpike(&geometries[TRIANGLE_SLOT], 8.0);
    for (int i = 0; i < SQUARE_COUNT; i += 2)
        squares[i].geometry = &geometries[0];
    ASSERT_TRUE(initDrawing()); // Rebuilds the paths and rings from the outline slots
    {
        SCOPED_TRACE("spikes");
        expectClose(referenceFrame(640, 480), draw());
    }
}
