// draw_scene.cpp -- the drawing core's entry points: set-up, and one frame into a target.
#include <cmath>  // Required for: std::floor(), std::isfinite(), std::sqrt()
#include <cstdio> // Required for: fprintf()

#include "drawing.h"
#include "render_target.h"

static const double SCENE_WIDTH = 640.0;  // Scene units
static const double SCENE_HEIGHT = 480.0;
static const double BACKGROUND_GREEN = 0.25; // Opaque (0, 0.25, 0)

// One horizontal band of the target: a cairo surface and context over its rows.
struct Band {
    cairo_surface_t* surface;
    cairo_t* cr;
    int top;    // First row, in target pixels
    int height; // Rows; 0 for a band with nothing to draw
};

// The bands wrapped around the current target's pixels, kept from frame to frame while
// the target stays the same, and this frame's scene mapping.
struct Canvas {
    Band bands[BAND_COUNT];
    unsigned char* pixels;
    int width;
    int height;
    int stride;
    cairo_matrix_t mapping; // Scene units to target pixels
    double pixelScale;      // Target pixels per scene unit
};

static Canvas canvas;

// How far each outline slot's fill and ring reach from the shape's origin, outline units.
static double slotReach[GEOMETRY_SLOTS];

bool initDrawing()
{
    initPaths();
    initRings();
    for (GeometrySlot slot = 0; slot < GEOMETRY_SLOTS; slot++) {
        const double fill = pathReach(outlinePath(&geometries[slot]));
        const double ring = pathReach(outlineRing(&geometries[slot]));
        slotReach[slot] = fill > ring ? fill : ring;
    }
    return initText();
}

static void releaseCanvas()
{
    for (Band& band : canvas.bands) {
        if (band.cr)
            cairo_destroy(band.cr);
        if (band.surface)
            cairo_surface_destroy(band.surface);
    }
    canvas = Canvas();
}

// Returns false when cairo cannot draw into the target (for instance a row length that
// is not a whole number of pixels); says so once on stderr.
static bool prepareCanvas(const RenderTarget& target)
{
    if (canvas.pixels != nullptr && canvas.pixels == target.pixels && canvas.width == target.width &&
        canvas.height == target.height && canvas.stride == target.stride)
        return true;
    releaseCanvas();
    if (!target.pixels || target.width <= 0 || target.height <= 0)
        return false;
    canvas.pixels = target.pixels;
    canvas.width = target.width;
    canvas.height = target.height;
    canvas.stride = target.stride;
    for (int i = 0; i < BAND_COUNT; i++) {
        Band& band = canvas.bands[i];
        band.top = target.height * i / BAND_COUNT;
        band.height = target.height * (i + 1) / BAND_COUNT - band.top;
        if (band.height == 0)
            continue;
        band.surface = cairo_image_surface_create_for_data(target.pixels + static_cast<size_t>(band.top) * target.stride,
                                                           CAIRO_FORMAT_RGB24, target.width, band.height,
                                                           target.stride);
        band.cr = cairo_create(band.surface);
        if (cairo_status(band.cr) != CAIRO_STATUS_SUCCESS) {
            static bool reported = false;
            if (!reported)
                fprintf(stderr, "render: cannot draw into a %d x %d target with %d bytes a row: %s\n",
                        target.width, target.height, target.stride,
                        cairo_status_to_string(cairo_status(band.cr)));
            reported = true;
            releaseCanvas();
            return false;
        }
    }
    return true;
}

bool setBrushSource(cairo_t* cr, const Brush* brush)
{
    const double alpha = static_cast<double>(brush->color.a) * brush->opacity;
    if (!(alpha > 0.0))
        return false;
    cairo_set_source_rgba(cr, brush->color.r, brush->color.g, brush->color.b, alpha);
    return true;
}

// Scene units to pixels: the largest uniform scale that fits, centred on whole pixels.
static cairo_matrix_t sceneMapping(int width, int height)
{
    const double sx = width / SCENE_WIDTH;
    const double sy = height / SCENE_HEIGHT;
    const double scale = sx < sy ? sx : sy;
    cairo_matrix_t m;
    cairo_matrix_init(&m, scale, 0.0, 0.0, scale, std::floor((width - SCENE_WIDTH * scale) / 2.0),
                      std::floor((height - SCENE_HEIGHT * scale) / 2.0));
    return m;
}

// A matrix cairo cannot invert would put the context into a lasting error state; such a
// shape has no area and draws nothing anyway.
static bool isDrawable(const cairo_matrix_t& m)
{
    const double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && det != 0.0 && std::isfinite(m.x0) && std::isfinite(m.y0);
}

// Whether any pixel of the item can land inside the rows top .. top + height: its
// outline and ring lie within slotReach * |scale| of the item's origin.
static bool reachesRows(const DrawItem& item, const cairo_matrix_t& mapping, double top, double height)
{
    const Matrix3x2& m = item.transform;
    const double scale = std::sqrt(static_cast<double>(m.m11) * m.m11 + static_cast<double>(m.m12) * m.m12);
    const GeometrySlot slot = outlineSlot(item.geometry);
    const double reach = (slot < 0 ? 0.0 : slotReach[slot]) * scale * mapping.xx + 1.0; // + anti-aliasing
    const double x = mapping.xx * m.dx + mapping.x0;
    const double y = mapping.yy * m.dy + mapping.y0;
    return y + reach >= top && y - reach <= top + height && x + reach >= 0.0 && x - reach <= canvas.width;
}

// The outline is drawn by filling its prepared ring: the pixels of a 4-unit mitred
// stroke, without cairo working the stroke out again for every shape of every frame.
static void drawItem(cairo_t* cr, const cairo_matrix_t& mapping, const DrawItem& item)
{
    const cairo_path_t* path = outlinePath(item.geometry);
    const cairo_path_t* ring = outlineRing(item.geometry);
    if (!path || path->num_data == 0 || !ring || !item.fill || !item.outline)
        return;
    cairo_matrix_t transform;
    cairo_matrix_init(&transform, item.transform.m11, item.transform.m12, item.transform.m21,
                      item.transform.m22, item.transform.dx, item.transform.dy);
    if (!isDrawable(transform))
        return;

    // Item transform first, then the scene mapping: the ring's width is in outline units.
    cairo_set_matrix(cr, &mapping);
    cairo_transform(cr, &transform);
    if (setBrushSource(cr, item.fill)) {
        cairo_new_path(cr);
        cairo_append_path(cr, path);
        cairo_fill(cr);
    }
    if (setBrushSource(cr, item.outline)) {
        cairo_new_path(cr);
        cairo_append_path(cr, ring);
        cairo_fill(cr);
    }
}

// Draws the whole frame's content that falls into one band. Every band draws the same
// things the same way, shifted by whole rows, so the seams cannot be seen.
static void drawBand(int index)
{
    const Band& band = canvas.bands[index];
    if (band.cr == nullptr)
        return;
    cairo_t* cr = band.cr;
    cairo_save(cr);

    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    cairo_paint(cr);

    cairo_matrix_t mapping = canvas.mapping;
    mapping.y0 -= band.top;
    cairo_set_matrix(cr, &mapping);
    cairo_rectangle(cr, 0.0, 0.0, SCENE_WIDTH, SCENE_HEIGHT);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.0, BACKGROUND_GREEN, 0.0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);

    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    for (const DrawItem& item : drawItems) {
        if (!reachesRows(item, canvas.mapping, band.top, band.height))
            continue;
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD); // Outlines and rings alike
        drawItem(cr, mapping, item);
    }

    cairo_set_matrix(cr, &mapping);
    drawTextLines(cr);

    if (setBrushSource(cr, &brushes[BLACK_OVERLAY])) {
        cairo_new_path(cr);
        cairo_rectangle(cr, 0.0, 0.0, SCENE_WIDTH, SCENE_HEIGHT);
        cairo_fill(cr);
    }

    cairo_restore(cr);
    cairo_surface_flush(band.surface);
}

void drawScene(const RenderTarget& target)
{
    if (!prepareCanvas(target))
        return;
    for (const Band& band : canvas.bands)
        if (band.surface)
            cairo_surface_mark_dirty(band.surface); // The backend may have touched the pixels
    canvas.mapping = sceneMapping(target.width, target.height);
    drawInBands(drawBand);
}
