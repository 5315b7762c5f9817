// text.cpp -- the text format and the three text lines, laid out once and kept as outlines.
#include <cstdio>  // Required for: fprintf()
#include <cstring> // Required for: strstr()
#include <strings.h> // Required for: strncasecmp()

#include <pango/pangocairo.h> // Required for: PangoLayout, pango_cairo_layout_path()

#include "drawing.h"

static const char* FONT_FAMILY = "Courier";
static const double FONT_SIZE = 36.0;   // Pixels (scene units), not points
static const double LAYOUT_WIDTH = 640.0;  // The text rectangle: the whole scene
static const double LAYOUT_HEIGHT = 480.0;
static const double PATH_PRECISION = 16.0; // Outline scratch scale; see buildTextPath()
static const double CURVE_TOLERANCE = 0.4;  // Scratch pixels: 0.025 scene units from the true curve

static const int TEXT_LINE_COUNT = 3;

// One line of text: what it says and the brush it is drawn with.
struct TextLine {
    const char* text;
    PaletteSlot brush;
};

static const TextLine TEXT_LINES[TEXT_LINE_COUNT] = {
    {"t w o    h o u r s", TEXT_LINE_1},                    // Fades in and out first
    {"f o r    f o u r t e e n    y e a r s", TEXT_LINE_2}, // Second; wraps onto two rows
    {"t h a n k   y o u   q e l", TEXT_LINE_3},             // Last; stays
};

static PangoContext* textContext;
static PangoLayout* layouts[TEXT_LINE_COUNT];
static cairo_path_t* textPaths[TEXT_LINE_COUNT];

// Unhinted metrics and glyph positions kept fractional, so advances are the font's own
// and the layout is the same at every output size.
static PangoContext* createTextContext(PangoFontMap* fontMap)
{
    PangoContext* context = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    return context;
}

static PangoFontDescription* createTextFormat()
{
    PangoFontDescription* format = pango_font_description_new();
    pango_font_description_set_family(format, FONT_FAMILY);
    pango_font_description_set_weight(format, PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(format, PANGO_STYLE_NORMAL);
    pango_font_description_set_stretch(format, PANGO_STRETCH_NORMAL);
    pango_font_description_set_absolute_size(format, FONT_SIZE * PANGO_SCALE);
    return format;
}

static bool isCourierLike(const char* family)
{
    return family && (strncasecmp(family, "Courier", 7) == 0 || strstr(family, "Nimbus Mono"));
}

// Fails only when fontconfig offers no face at all; a face other than Courier is used
// as it is, and named once on stderr.
static bool checkFont(PangoFontMap* fontMap, PangoContext* context, const PangoFontDescription* format)
{
    PangoFontFamily** families = nullptr;
    int familyCount = 0;
    pango_font_map_list_families(fontMap, &families, &familyCount);
    g_free(families);
    PangoFont* font = familyCount > 0 ? pango_context_load_font(context, format) : nullptr;
    if (!font) {
        fprintf(stderr, "render: no font found for the text (fontconfig lists no face)\n");
        return false;
    }
    PangoFontDescription* used = pango_font_describe(font);
    const char* family = pango_font_description_get_family(used);
    if (!isCourierLike(family))
        fprintf(stderr, "render: no Courier face installed; drawing the text with \"%s\"\n",
                family ? family : "(unnamed)");
    pango_font_description_free(used);
    g_object_unref(font);
    return true;
}

// Word wrap inside the scene width, each row centred, the paragraph centred vertically.
static PangoLayout* layOutLine(const PangoFontDescription* format, const char* text)
{
    PangoLayout* layout = pango_layout_new(textContext);
    pango_layout_set_font_description(layout, format);
    pango_layout_set_width(layout, static_cast<int>(LAYOUT_WIDTH * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, text, -1);
    return layout;
}

// The glyphs as one path of straight lines in scene units. Drawn as a filled path rather
// than through the glyph cache so glyphs keep their fractional positions at every output
// size. cairo stores paths in 24.8 fixed point; drawing at 16x and reading back at 1x
// keeps 1/4096 unit precision. Curves are flattened to within 0.025 units, under a
// tenth of a pixel even at 2.25 times the size.
static cairo_path_t* buildTextPath(PangoLayout* layout)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double top = (LAYOUT_HEIGHT - static_cast<double>(logical.height) / PANGO_SCALE) / 2.0;

    // Unbounded, because Pango leaves out glyphs that fall outside the surface.
    cairo_surface_t* scratch = cairo_recording_surface_create(CAIRO_CONTENT_ALPHA, nullptr);
    cairo_t* cr = cairo_create(scratch);
    cairo_scale(cr, PATH_PRECISION, PATH_PRECISION);
    cairo_set_tolerance(cr, CURVE_TOLERANCE);
    cairo_move_to(cr, 0.0, top);
    pango_cairo_layout_path(cr, layout);
    cairo_path_t* path = cairo_copy_path_flat(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return path;
}

bool initText()
{
    if (textContext)
        return true;
    PangoFontMap* fontMap = pango_cairo_font_map_get_default();
    PangoContext* context = createTextContext(fontMap);
    PangoFontDescription* format = createTextFormat();
    if (!checkFont(fontMap, context, format)) {
        pango_font_description_free(format);
        g_object_unref(context);
        return false;
    }
    textContext = context;
    for (int i = 0; i < TEXT_LINE_COUNT; i++) {
        layouts[i] = layOutLine(format, TEXT_LINES[i].text);
        textPaths[i] = buildTextPath(layouts[i]);
    }
    pango_font_description_free(format);
    return true;
}

void drawTextLines(RasterBand* band, const cairo_matrix_t& mapping)
{
    // Glyph outlines use non-zero winding, as the fill does.
    for (int i = 0; i < TEXT_LINE_COUNT; i++)
        if (textPaths[i])
            fillWithBrush(band, textPaths[i], mapping, &brushes[TEXT_LINES[i].brush]);
}
