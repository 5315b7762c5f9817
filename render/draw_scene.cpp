// draw_scene.cpp -- the drawing core's entry points: set-up, and one frame into a target.
#include <cmath>  // Required for: std::floor(), std::isfinite()
#include <cstdio> // Required for: fprintf()

#include "drawing.h"
#include "render_target.h"

static const double SCENE_WIDTH = 640.0;  // Scene units
static const double SCENE_HEIGHT = 480.0;
static const double BACKGROUND_GREEN = 0.25; // Opaque (0, 0.25, 0)

// The cairo surface and context wrapped around the current target's pixels, kept from
// frame to frame while the target stays the same.
struct Canvas {
    cairo_surface_t* surface;
    cairo_t* cr;
    unsigned char* pixels;
    int width;
    int height;
    int stride;
};

static Canvas canvas;

bool initDrawing()
{
    initPaths();
    initRings();
    return initText();
}

static void releaseCanvas()
{
    if (canvas.cr)
        cairo_destroy(canvas.cr);
    if (canvas.surface)
        cairo_surface_destroy(canvas.surface);
    canvas = Canvas();
}

// Returns false when cairo cannot draw into the target (for instance a row length that
// is not a whole number of pixels); says so once on stderr.
static bool prepareCanvas(const RenderTarget& target)
{
    if (canvas.cr && canvas.pixels == target.pixels && canvas.width == target.width &&
        canvas.height == target.height && canvas.stride == target.stride)
        return true;
    releaseCanvas();
    if (!target.pixels || target.width <= 0 || target.height <= 0)
        return false;
    canvas.surface = cairo_image_surface_create_for_data(target.pixels, CAIRO_FORMAT_RGB24, target.width,
                                                         target.height, target.stride);
    canvas.cr = cairo_create(canvas.surface);
    canvas.pixels = target.pixels;
    canvas.width = target.width;
    canvas.height = target.height;
    canvas.stride = target.stride;
    if (cairo_status(canvas.cr) != CAIRO_STATUS_SUCCESS) {
        static bool reported = false;
        if (!reported)
            fprintf(stderr, "render: cannot draw into a %d x %d target with %d bytes a row: %s\n", target.width,
                    target.height, target.stride, cairo_status_to_string(cairo_status(canvas.cr)));
        reported = true;
        releaseCanvas();
        return false;
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

void drawScene(const RenderTarget& target)
{
    if (!prepareCanvas(target))
        return;
    cairo_t* cr = canvas.cr;
    cairo_surface_mark_dirty(canvas.surface); // The backend may have touched the pixels
    cairo_save(cr);

    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
    cairo_paint(cr);

    const cairo_matrix_t mapping = sceneMapping(target.width, target.height);
    cairo_set_matrix(cr, &mapping);
    cairo_rectangle(cr, 0.0, 0.0, SCENE_WIDTH, SCENE_HEIGHT);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0.0, BACKGROUND_GREEN, 0.0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);

    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD); // Outlines and rings alike
    for (const DrawItem& item : drawItems)
        drawItem(cr, mapping, item);

    cairo_set_matrix(cr, &mapping);
    drawTextLines(cr);

    if (setBrushSource(cr, &brushes[BLACK_OVERLAY])) {
        cairo_new_path(cr);
        cairo_rectangle(cr, 0.0, 0.0, SCENE_WIDTH, SCENE_HEIGHT);
        cairo_fill(cr);
    }

    cairo_restore(cr);
    cairo_surface_flush(canvas.surface);
}
