// draw_scene.cpp -- the drawing core's entry points: set-up, and one frame into a target.
// A frame is drawn as horizontal bands of rows, each complete in itself (background,
// shapes, text, overlay), so that the bands can be drawn at the same time.
#include <cmath>  // Required for: std::floor(), std::ceil(), std::round(), std::lround(), std::fabs(), std::isfinite()
#include <cstdio> // Required for: fprintf()

#include "band_workers.h"
#include "drawing.h"
#include "render_target.h"

static const double SCENE_WIDTH = 640.0;  // Scene units
static const double SCENE_HEIGHT = 480.0;
static const uint32_t BLACK = 0x000000;      // The bars beside the scene
static const uint32_t BACKGROUND = 0x004000; // Opaque (0, 0.25, 0)

// The target being drawn and where the scene lies in it, in pixels.
struct Canvas {
    RenderTarget target;
    cairo_matrix_t mapping; // Scene units to pixels
    int sceneLeft;          // Columns sceneLeft..sceneRight-1 hold the scene
    int sceneRight;
    int sceneTop;           // Rows sceneTop..sceneBottom-1 hold the scene
    int sceneBottom;
    uint32_t rightCoverage;  // How much of its last column the scene covers, 0..255
    uint32_t bottomCoverage; // How much of its last row the scene covers, 0..255
};

static Canvas canvas;
static RasterBand bands[BAND_COUNT];

// The scene's rectangle as a path, for the overlay.
static cairo_path_data_t sceneRectData[] = {
    {{CAIRO_PATH_MOVE_TO, 2}}, {{}}, {{CAIRO_PATH_LINE_TO, 2}}, {{}},
    {{CAIRO_PATH_LINE_TO, 2}}, {{}}, {{CAIRO_PATH_LINE_TO, 2}}, {{}}, {{CAIRO_PATH_CLOSE_PATH, 1}},
};
static const cairo_path_t sceneRect = {CAIRO_STATUS_SUCCESS, sceneRectData,
                                       static_cast<int>(sizeof sceneRectData / sizeof sceneRectData[0])};

static void initSceneRect()
{
    const double corners[4][2] = {{0.0, 0.0}, {SCENE_WIDTH, 0.0}, {SCENE_WIDTH, SCENE_HEIGHT}, {0.0, SCENE_HEIGHT}};
    for (int i = 0; i < 4; i++) {
        sceneRectData[2 * i + 1].point.x = corners[i][0];
        sceneRectData[2 * i + 1].point.y = corners[i][1];
    }
}

bool initDrawing()
{
    initPaths();
    initRings();
    initSceneRect();
    return initText();
}

// A brush at alpha color.a * opacity as a premultiplied 0xAARRGGBB colour, made the way
// cairo makes a solid source: each channel times alpha in 16 bits, then cut to 8.
static uint32_t premultipliedColour(const Brush* brush)
{
    const auto clamp = [](double v) { return v < 0.0 ? 0.0 : v > 1.0 ? 1.0 : v; };
    const double alpha = clamp(static_cast<double>(brush->color.a) * brush->opacity);
    const auto channel = [alpha, clamp](double v) {
        return static_cast<uint32_t>(clamp(v) * alpha * 65535.0 + 0.5) >> 8;
    };
    return channel(1.0) << 24 | channel(brush->color.r) << 16 | channel(brush->color.g) << 8 |
           channel(brush->color.b);
}

void fillWithBrush(RasterBand* band, const cairo_path_t* path, const cairo_matrix_t& m, const Brush* brush)
{
    const double alpha = static_cast<double>(brush->color.a) * brush->opacity;
    if (!(alpha > 0.0))
        return;
    fillPath(band, path, m, premultipliedColour(brush));
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

// The column or row where the scene ends, edge being its far side in pixels, and how much
// of that last one it covers. Scales worked out from a whole number of pixels may miss it
// by a rounding error; that counts as whole.
static void sceneEnd(double edge, int* end, uint32_t* coverage)
{
    const double nearest = std::round(edge);
    if (std::fabs(edge - nearest) < 1.0 / 1024.0) {
        *end = static_cast<int>(nearest);
        *coverage = 255;
        return;
    }
    *end = static_cast<int>(std::ceil(edge));
    *coverage = static_cast<uint32_t>(std::lround((edge - std::floor(edge)) * 255.0));
}

// Returns false for a target that cannot be drawn into (no pixels, or rows that are not a
// whole number of pixels long, or too short); says so once on stderr.
static bool prepareCanvas(const RenderTarget& target)
{
    if (!target.pixels || target.width <= 0 || target.height <= 0)
        return false;
    if (target.stride % 4 != 0 || target.stride / 4 < target.width) {
        static bool reported = false;
        if (!reported)
            fprintf(stderr, "render: cannot draw into a %d x %d target with %d bytes a row\n", target.width,
                    target.height, target.stride);
        reported = true;
        return false;
    }
    const bool sameSize = canvas.target.width == target.width && canvas.target.height == target.height;
    canvas.target = target;
    if (sameSize && bands[0].cells)
        return true;

    const cairo_matrix_t m = sceneMapping(target.width, target.height);
    canvas.mapping = m;
    canvas.sceneLeft = static_cast<int>(m.x0);
    canvas.sceneTop = static_cast<int>(m.y0);
    sceneEnd(m.x0 + SCENE_WIDTH * m.xx, &canvas.sceneRight, &canvas.rightCoverage);
    sceneEnd(m.y0 + SCENE_HEIGHT * m.yy, &canvas.sceneBottom, &canvas.bottomCoverage);
    // The scene's rows are shared out evenly; the bars above and below go with the
    // band next to them.
    const int sceneRows = canvas.sceneBottom - canvas.sceneTop;
    for (int i = 0; i < BAND_COUNT; i++) {
        RasterBand& band = bands[i];
        band.top = i == 0 ? 0 : canvas.sceneTop + sceneRows * i / BAND_COUNT;
        band.bottom = i == BAND_COUNT - 1 ? target.height : canvas.sceneTop + sceneRows * (i + 1) / BAND_COUNT;
        band.left = canvas.sceneLeft;
        band.right = canvas.sceneRight;
        if (!reserveBand(&band, band.bottom - band.top, band.right - band.left)) {
            fprintf(stderr, "render: out of memory for drawing a %d x %d target\n", target.width, target.height);
            for (RasterBand& b : bands)
                releaseBand(&b);
            canvas.target = RenderTarget();
            return false;
        }
    }
    return true;
}

// A matrix that cannot be inverted gives a shape with no area, which draws nothing.
static bool isDrawable(const cairo_matrix_t& m)
{
    const double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && det != 0.0 && std::isfinite(m.x0) && std::isfinite(m.y0);
}

// The fill, then the outline drawn by filling its prepared ring: the pixels of a 4-unit
// mitred stroke, without working the stroke out again for every shape of every frame.
static void drawItem(RasterBand* band, const DrawItem& item)
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
    cairo_matrix_t m;
    cairo_matrix_multiply(&m, &transform, &canvas.mapping);
    fillWithBrush(band, path, m, item.fill);
    fillWithBrush(band, ring, m, item.outline);
}

// Everything in the band's rows: bars, background, shapes, text, overlay. The band's own
// left..right and top..bottom are narrowed to the scene while the scene is drawn.
static void drawBand(int index)
{
    RasterBand band = bands[index];
    band.pixels = canvas.target.pixels;
    band.stride = canvas.target.stride;
    const int width = canvas.target.width;
    const int sceneTop = band.top > canvas.sceneTop ? band.top : canvas.sceneTop;
    const int sceneBottom = band.bottom < canvas.sceneBottom ? band.bottom : canvas.sceneBottom;

    fillRows(band, band.top, sceneTop, 0, width, BLACK);
    fillRows(band, sceneBottom > sceneTop ? sceneBottom : sceneTop, band.bottom, 0, width, BLACK);
    if (sceneBottom <= sceneTop)
        return;
    fillRows(band, sceneTop, sceneBottom, 0, canvas.sceneLeft, BLACK);
    fillRows(band, sceneTop, sceneBottom, canvas.sceneRight, width, BLACK);
    fillRows(band, sceneTop, sceneBottom, canvas.sceneLeft, canvas.sceneRight, BACKGROUND);

    // The cells keep rows from the band's own top; the scene part starts further down.
    band.cells += static_cast<size_t>(sceneTop - band.top) * band.cellsPerRow;
    band.touched += static_cast<size_t>(sceneTop - band.top) * band.wordsPerRow;
    band.top = sceneTop;
    band.bottom = sceneBottom;
    for (const DrawItem& item : drawItems)
        drawItem(&band, item);
    drawTextLines(&band, canvas.mapping);
    fillWithBrush(&band, &sceneRect, canvas.mapping, &brushes[BLACK_OVERLAY]);

    // Where the scene ends part way into a column or a row, that pixel shows it only in part,
    // the rest being the black bar beside it.
    if (canvas.rightCoverage < 255)
        fadeRows(band, band.top, band.bottom, canvas.sceneRight - 1, canvas.sceneRight, canvas.rightCoverage);
    if (canvas.bottomCoverage < 255 && band.bottom == canvas.sceneBottom)
        fadeRows(band, band.bottom - 1, band.bottom, canvas.sceneLeft, canvas.sceneRight, canvas.bottomCoverage);
}

void drawScene(const RenderTarget& target)
{
    if (!prepareCanvas(target))
        return;
    drawBands(drawBand);
}
