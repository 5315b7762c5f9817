// test_outline_rings.cpp -- frames drawn by the drawing core against a straightforward
// cairo and Pango drawing: outlines stroked by cairo's own stroker, text laid out anew.
#include <algorithm>
#include <cmath>

#include <pango/pangocairo.h> // Required for: the plain drawing the core must reproduce

#include "band_workers.h"
#include "render_fixture.h"

// The text lines as the show draws them: Courier at 36 px, wrapped in the scene's width,
// each row centred, the paragraph centred vertically, glyph positions unrounded.
static void referenceText(cairo_t* cr)
{
    struct Line {
        const char* text;
        PaletteSlot brush;
    };
    const Line lines[] = {
        {"t w o    h o u r s", TEXT_LINE_1},
        {"f o r    f o u r t e e n    y e a r s", TEXT_LINE_2},
        {"t h a n k   y o u   q e l", TEXT_LINE_3},
    };
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    PangoFontDescription* font = pango_font_description_from_string("Courier");
    pango_font_description_set_absolute_size(font, 36.0 * PANGO_SCALE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    for (const Line& line : lines) {
        const Brush& b = brushes[line.brush];
        PangoLayout* layout = pango_cairo_create_layout(cr);
        pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
        pango_context_set_round_glyph_positions(pango_layout_get_context(layout), FALSE);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_width(layout, 640 * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
        pango_layout_set_text(layout, line.text, -1);
        PangoRectangle logical;
        pango_layout_get_extents(layout, nullptr, &logical);
        cairo_new_path(cr);
        cairo_move_to(cr, 0.0, (480.0 - static_cast<double>(logical.height) / PANGO_SCALE) / 2.0);
        pango_cairo_layout_path(cr, layout);
        cairo_set_source_rgba(cr, b.color.r, b.color.g, b.color.b, b.color.a * b.opacity);
        cairo_fill(cr);
        g_object_unref(layout);
    }
    pango_font_description_free(font);
    cairo_font_options_destroy(options);
}

// The frame as a plain reference: each outline filled, then stroked by cairo at width 4
// under its transform with mitred corners (limit 10) and butt caps, the text lines laid
// out and filled, and the overlay.
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
    referenceText(cr);
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

// Largest, mean and mean signed channel difference between two frames of one size.
static void expectClose(const Frame& expected, const Frame& actual, int worstAllowed = 10)
{
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    int worst = 0;
    double total = 0.0;
    double signedTotal = 0.0;
    for (size_t i = 0; i < expected.pixels.size(); i++) {
        const Rgb& a = expected.pixels[i];
        const Rgb& b = actual.pixels[i];
        const int diff = std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        worst = std::max(worst, diff);
        total += diff;
        signedTotal += (b.r - a.r) + (b.g - a.g) + (b.b - a.b);
    }
    // Interiors are blended with cairo's own rounding and come out the same. Edges differ
    // by a few levels: the core covers each pixel by exact area, cairo by 15 sampled rows
    // of it. Neither is lighter or darker on the whole.
    EXPECT_LE(worst, worstAllowed);
    EXPECT_LT(total / expected.pixels.size(), 0.08);
    EXPECT_LT(std::fabs(signedTotal / expected.pixels.size()), 0.02);
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

// The show's own frames, at the sizes the capture tool and the video use, text and all.
TEST_F(OutlineRingTest, FramesMatchCairoStrokesAndPangoText)
{
    struct Case {
        SceneClock t;
        int width;
        int height;
        int worst; // Largest difference allowed in one channel of one pixel
    };
    // Glyph edges are white at 0.8 over dark green: a sixteenth of a pixel's coverage
    // there is 13 levels, where the shapes' edges have far less contrast.
    const Case cases[] = {
        {3000, 640, 480, 10},   // Hexagons, half faded in
        {8000, 640, 480, 10},   // Pentagons and the star stack
        {12000, 640, 480, 10},  // Everything, the squares too
        {12000, 1600, 1200, 10}, // The same at 2.5 times the size
        {37000, 640, 480, 10},  // Under the half-opaque overlay
        {24000, 1000, 480, 16}, // Letterboxed, with the second text line
        {17000, 640, 480, 16},  // The first text line at full strength
        {24000, 640, 480, 16},  // The second, on two rows
        {33000, 1440, 1080, 16}, // The last, at the size of a 1080p fullscreen picture
        // The scene ending part way into its last column or row. That pixel shows the
        // finished scene in part; cairo instead cuts each shape by the scene's edge as it
        // draws it, which differs where translucent shapes cross the edge. Without the
        // partial pixel (a black one) the difference reaches 70.
        {12000, 1000, 601, 20}, // A third of the way into a column
        {12000, 641, 479, 20},  // Two thirds into a column
        {8000, 643, 483, 20},   // A quarter into a row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t << " ms, " << c.width << " x " << c.height);
        prepare(c.t, c.width, c.height);
        expectClose(referenceFrame(c.width, c.height), draw(), c.worst);
    }
}

// The bands of a frame are drawn on two threads; drawn one after another on one thread
// they give the same bytes, at the size of the show and letterboxed into a larger target.
TEST_F(OutlineRingTest, BandsOnTwoThreadsMatchOneThread)
{
    struct Case {
        SceneClock t;
        int width;
        int height;
    };
    const Case cases[] = {{12000, 640, 480}, {24000, 1920, 1080}, {37000, 641, 479}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.t << " ms, " << c.width << " x " << c.height);
        prepare(c.t, c.width, c.height);
        const RenderTarget& target = offscreenTarget();
        const size_t size = static_cast<size_t>(target.stride) * target.height;
        renderFrame();
        const std::vector<unsigned char> threaded(target.pixels, target.pixels + size);
        setBandThreads(false);
        std::memset(target.pixels, 0x5A, size);
        renderFrame();
        setBandThreads(true);
        EXPECT_TRUE(std::equal(threaded.begin(), threaded.end(), target.pixels));
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
