// raster.cpp -- polygon fills by exact area coverage, blended into 32-bit pixels.
// Every edge adds, to the cells of the rows it crosses, how much of each cell lies to its
// right (signed by its direction); a pixel's coverage is then the running sum of its row's
// cells up to it. Only cells an edge touched are visited: between them the coverage is
// constant and a whole run of pixels is blended with one alpha.
#include "raster.h"

#include <climits> // Required for: INT_MAX
#include <cmath>   // Required for: std::floor(), std::ceil(), std::fabs(), std::isfinite()
#include <cstdlib> // Required for: calloc(), free()
#ifdef __SSE2__
#include <emmintrin.h> // Required for: the 16-bit lane arithmetic of blendRun()
#endif

static const int WORD_BITS = 64;
static const int GROUP = 4; // Cells swept together: four pixels blended at once

// The rows and cells one polygon touched, band-relative.
struct Touched {
    int firstRow;
    int lastRow;
    int firstCell;
    int lastCell;
};

bool reserveBand(RasterBand* band, int rows, int columns)
{
    // An edge at the right end still adds to two cells past the last column; rows are a
    // whole number of groups, so that a group is always read whole.
    const int cellsPerRow = (columns + 2 + GROUP - 1) / GROUP * GROUP;
    const int wordsPerRow = (cellsPerRow + WORD_BITS - 1) / WORD_BITS;
    band->cellsPerRow = cellsPerRow;
    band->wordsPerRow = wordsPerRow;
    if (band->cells && rows <= band->capacityRows && cellsPerRow <= band->capacityCells)
        return true; // Left all zero by the last polygon drawn
    releaseBand(band);
    band->cellsPerRow = cellsPerRow;
    band->wordsPerRow = wordsPerRow;
    band->cells = static_cast<float*>(std::calloc(static_cast<size_t>(rows) * cellsPerRow, sizeof(float)));
    band->touched = static_cast<uint64_t*>(std::calloc(static_cast<size_t>(rows) * wordsPerRow, sizeof(uint64_t)));
    if (!band->cells || !band->touched) {
        releaseBand(band);
        return false;
    }
    band->capacityRows = rows;
    band->capacityCells = cellsPerRow;
    return true;
}

void releaseBand(RasterBand* band)
{
    std::free(band->cells);
    std::free(band->touched);
    band->cells = nullptr;
    band->touched = nullptr;
    band->capacityRows = 0;
    band->capacityCells = 0;
}

static uint32_t* rowPixels(const RasterBand& band, int y)
{
    return reinterpret_cast<uint32_t*>(band.pixels + static_cast<size_t>(y) * band.stride);
}

void fillRows(const RasterBand& band, int top, int bottom, int x0, int x1, uint32_t colour)
{
    const uint32_t value = 0xFF000000u | colour;
    for (int y = top; y < bottom; y++) {
        uint32_t* row = rowPixels(band, y);
        for (int x = x0; x < x1; x++)
            row[x] = value;
    }
}

// x holds two 8-bit channels at bits 0 and 16; each times a / 255, rounded.
static inline uint32_t mulPair(uint32_t x, uint32_t a)
{
    uint32_t t = x * a + 0x800080u;
    t = (t + ((t >> 8) & 0xFF00FFu)) >> 8;
    return t & 0xFF00FFu;
}

// A premultiplied 0xAARRGGBB colour times a coverage of 255.
static inline uint32_t scaleColour(uint32_t s, uint32_t coverage)
{
    return mulPair(s & 0xFF00FFu, coverage) | mulPair((s >> 8) & 0xFF00FFu, coverage) << 8;
}

// Premultiplied source over an opaque destination pixel, in 8-bit steps rounded the way
// pixman rounds them, so interiors come out as cairo would draw them.
static inline uint32_t over(uint32_t d, uint32_t s)
{
    const uint32_t ia = 255 - (s >> 24);
    const uint32_t rb = mulPair(d & 0xFF00FFu, ia) + (s & 0xFF00FFu);
    const uint32_t ag = mulPair(((d >> 8) & 0xFF00FFu) | 0xFF0000u, ia) + ((s >> 8) & 0xFF00FFu);
    return ag << 8 | rb;
}

// One colour over a run of pixels. Four at a time in 16-bit lanes, with the same
// rounding as over(), so a pixel comes out the same whichever way it is blended.
static inline void blendRun(uint32_t* row, int from, int to, uint32_t s)
{
    if (s == 0)
        return;
    int x = from;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i inverse = _mm_set1_epi16(static_cast<short>(255 - (s >> 24)));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i source = _mm_set1_epi32(static_cast<int>(s));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; x + 4 <= to; x += 4) {
        __m128i* p = reinterpret_cast<__m128i*>(row + x);
        const __m128i d = _mm_or_si128(_mm_loadu_si128(p), opaque);
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inverse), half);
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inverse), half);
        lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
        _mm_storeu_si128(p, _mm_add_epi8(_mm_packus_epi16(lo, hi), source));
    }
#endif
    for (; x < to; x++)
        row[x] = over(row[x], s);
}

void fadeRows(const RasterBand& band, int top, int bottom, int x0, int x1, uint32_t coverage)
{
    for (int y = top; y < bottom; y++) {
        uint32_t* row = rowPixels(band, y);
        for (int x = x0; x < x1; x++)
            row[x] = 0xFF000000u | (scaleColour(row[x], coverage) & 0xFFFFFFu);
    }
}

// The colour at the coverage a running sum gives (either sign, for either winding).
static inline uint32_t colourAt(float sum, uint32_t colour)
{
    float coverage = std::fabs(sum);
    if (coverage > 1.0f)
        coverage = 1.0f;
    const uint32_t c = static_cast<uint32_t>(coverage * 255.0f + 0.5f);
    return c == 255 ? colour : c == 0 ? 0 : scaleColour(colour, c);
}

static inline void touch(uint64_t* bits, int cell)
{
    bits[cell / WORD_BITS] |= uint64_t(1) << (cell % WORD_BITS);
}

static inline float clampTo(float x, float low, float high)
{
    return x < low ? low : x > high ? high : x;
}

// A line in band cells (x from 0 to the band's width, y in rows from the band's top),
// already clipped to 0 <= x <= width.
static void accumulateLine(RasterBand* band, Touched* t, float x0, float y0, float x1, float y1)
{
    if (y0 == y1)
        return;
    float dir = 1.0f;
    if (y0 > y1) {
        float s = x0;
        x0 = x1;
        x1 = s;
        s = y0;
        y0 = y1;
        y1 = s;
        dir = -1.0f;
    }
    const int rows = band->bottom - band->top;
    if (y1 <= 0.0f || y0 >= static_cast<float>(rows))
        return;
    const float width = static_cast<float>(band->right - band->left);
    const float dxdy = (x1 - x0) / (y1 - y0);
    float x = x0;
    int first = static_cast<int>(std::floor(y0));
    if (y0 < 0.0f) {
        x -= y0 * dxdy;
        first = 0;
    }
    int last = static_cast<int>(std::ceil(y1));
    if (last > rows)
        last = rows;
    if (first < t->firstRow)
        t->firstRow = first;
    if (last - 1 > t->lastRow)
        t->lastRow = last - 1;
    for (int y = first; y < last; y++) {
        float* cell = band->cells + static_cast<size_t>(y) * band->cellsPerRow;
        uint64_t* bits = band->touched + static_cast<size_t>(y) * band->wordsPerRow;
        const float top = static_cast<float>(y) > y0 ? static_cast<float>(y) : y0;
        const float bottom = static_cast<float>(y + 1) < y1 ? static_cast<float>(y + 1) : y1;
        const float dy = bottom - top;
        float xNext = x + dxdy * dy;
        // Rounding may carry the ends a hair past the clip edges.
        const float xa = clampTo(x < xNext ? x : xNext, 0.0f, width);
        const float xb = clampTo(x < xNext ? xNext : x, 0.0f, width);
        const float d = dy * dir;
        const float xaFloor = std::floor(xa);
        const int ia = static_cast<int>(xaFloor);
        const int ib = static_cast<int>(std::ceil(xb));
        if (ia < t->firstCell)
            t->firstCell = ia;
        const int lastCell = ib > ia + 1 ? ib : ia + 1;
        if (lastCell > t->lastCell)
            t->lastCell = lastCell;
        if (ib <= ia + 1) {
            // Within one cell: the part right of the line's mean x, then the rest in the next.
            const float mid = 0.5f * (xa + xb) - xaFloor;
            cell[ia] += d - d * mid;
            cell[ia + 1] += d * mid;
            touch(bits, ia);
            touch(bits, ia + 1);
        } else {
            const float s = 1.0f / (xb - xa);
            const float fa = xa - xaFloor;
            const float a0 = 0.5f * s * (1.0f - fa) * (1.0f - fa);
            const float fb = xb - std::ceil(xb) + 1.0f;
            const float am = 0.5f * s * fb * fb;
            cell[ia] += d * a0;
            touch(bits, ia);
            if (ib == ia + 2) {
                cell[ia + 1] += d * (1.0f - a0 - am);
                touch(bits, ia + 1);
            } else {
                const float a1 = s * (1.5f - fa);
                cell[ia + 1] += d * (a1 - a0);
                touch(bits, ia + 1);
                for (int i = ia + 2; i < ib - 1; i++) {
                    cell[i] += d * s;
                    touch(bits, i);
                }
                const float a2 = a1 + static_cast<float>(ib - ia - 3) * s;
                cell[ib - 1] += d * (1.0f - a2 - am);
                touch(bits, ib - 1);
            }
            cell[ib] += d * am;
            touch(bits, ib);
        }
        x = xNext;
    }
}

// An edge in band cells, clipped to the band's columns. What lies left of them still
// covers every pixel to its right, so it becomes a vertical line on the left edge; what
// lies right of them covers nothing that is drawn and is dropped.
static void addEdge(RasterBand* band, Touched* t, float x0, float y0, float x1, float y1)
{
    const float width = static_cast<float>(band->right - band->left);
    if (x0 < 0.0f || x1 < 0.0f) {
        if (x0 <= 0.0f && x1 <= 0.0f) {
            accumulateLine(band, t, 0.0f, y0, 0.0f, y1);
            return;
        }
        const float y = y0 + (0.0f - x0) * (y1 - y0) / (x1 - x0);
        if (x0 < 0.0f) {
            accumulateLine(band, t, 0.0f, y0, 0.0f, y);
            addEdge(band, t, 0.0f, y, x1, y1);
        } else {
            addEdge(band, t, x0, y0, 0.0f, y);
            accumulateLine(band, t, 0.0f, y, 0.0f, y1);
        }
        return;
    }
    if (x0 > width || x1 > width) {
        if (x0 >= width && x1 >= width)
            return;
        const float y = y0 + (width - x0) * (y1 - y0) / (x1 - x0);
        if (x0 > width)
            accumulateLine(band, t, width, y, x1, y1);
        else
            accumulateLine(band, t, x0, y0, width, y);
        return;
    }
    accumulateLine(band, t, x0, y0, x1, y1);
}

// The pixel at i, whose coverage the running sum gives after its own cell.
static inline void blendCell(uint32_t* row, int i, float sum, uint32_t colour)
{
    const uint32_t s = colourAt(sum, colour);
    if (s)
        row[i] = over(row[i], s);
}

#ifdef __SSE2__
// Four pixels from group's first cell, each at the coverage its running sum gives; the
// cells are left zero and the sum after the last is returned. Rounds each pixel exactly as
// colourAt() and over() do.
static inline float blendGroup(uint32_t* pixels, float* cells, float sum, uint32_t colour)
{
    // Running sums: each cell plus all before it in the group, plus what came before.
    __m128 x = _mm_loadu_ps(cells);
    _mm_storeu_ps(cells, _mm_setzero_ps());
    x = _mm_add_ps(x, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(x), 4)));
    x = _mm_add_ps(x, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(x), 8)));
    x = _mm_add_ps(x, _mm_set1_ps(sum));
    const float after = _mm_cvtss_f32(_mm_shuffle_ps(x, x, 0xFF));

    // Coverage as 0..255, each pixel's value spread over its four 16-bit channel lanes.
    const __m128 magnitude = _mm_min_ps(_mm_andnot_ps(_mm_set1_ps(-0.0f), x), _mm_set1_ps(1.0f));
    const __m128i c = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(magnitude, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
    const __m128i c16 = _mm_packs_epi32(c, c);
    const __m128i pairs = _mm_unpacklo_epi16(c16, c16);
    const __m128i coverageLo = _mm_unpacklo_epi32(pairs, pairs);
    const __m128i coverageHi = _mm_unpackhi_epi32(pairs, pairs);

    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i full = _mm_set1_epi16(255);
    // x * a / 255 in each 16-bit lane, rounded like mulPair().
    const auto scale = [half](__m128i v, __m128i a) {
        v = _mm_add_epi16(_mm_mullo_epi16(v, a), half);
        return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
    };
    const __m128i source = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(colour)), zero);
    const __m128i sourceLo = scale(source, coverageLo);
    const __m128i sourceHi = scale(source, coverageHi);
    const __m128i inverseLo = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sourceLo, 0xFF), 0xFF));
    const __m128i inverseHi = _mm_sub_epi16(full, _mm_shufflehi_epi16(_mm_shufflelo_epi16(sourceHi, 0xFF), 0xFF));

    __m128i* p = reinterpret_cast<__m128i*>(pixels);
    const __m128i d = _mm_or_si128(_mm_loadu_si128(p), _mm_set1_epi32(static_cast<int>(0xFF000000u)));
    const __m128i lo = _mm_add_epi16(scale(_mm_unpacklo_epi8(d, zero), inverseLo), sourceLo);
    const __m128i hi = _mm_add_epi16(scale(_mm_unpackhi_epi8(d, zero), inverseHi), sourceHi);
    _mm_storeu_si128(p, _mm_packus_epi16(lo, hi));
    return after;
}
#endif

// Blends the polygon whose edges were added, row by row, and leaves the cells zero. Cells
// are taken a group at a time wherever an edge touched one of them; between groups the
// coverage is constant and a run is blended with one colour.
static void sweep(RasterBand* band, const Touched& t, uint32_t colour)
{
    const int width = band->right - band->left;
    const int firstWord = t.firstCell / WORD_BITS;
    const int lastWord = t.lastCell / WORD_BITS;
    for (int y = t.firstRow; y <= t.lastRow; y++) {
        float* cell = band->cells + static_cast<size_t>(y) * band->cellsPerRow;
        uint64_t* bits = band->touched + static_cast<size_t>(y) * band->wordsPerRow;
        uint32_t* row = rowPixels(*band, band->top + y) + band->left;
        float sum = 0.0f;
        int from = 0; // First pixel not yet blended
        for (int w = firstWord; w <= lastWord; w++) {
            uint64_t word = bits[w];
            if (!word)
                continue;
            bits[w] = 0;
            do {
                const int bit = __builtin_ctzll(word) & ~(GROUP - 1);
                word &= ~(uint64_t((1u << GROUP) - 1) << bit);
                const int g = w * WORD_BITS + bit;
                if (from < g)
                    blendRun(row, from, g < width ? g : width, colourAt(sum, colour));
#ifdef __SSE2__
                if (g + GROUP <= width) {
                    sum = blendGroup(row + g, cell + g, sum, colour);
                    from = g + GROUP;
                    continue;
                }
#endif
                for (int i = g; i < g + GROUP; i++) {
                    sum += cell[i];
                    cell[i] = 0.0f;
                    if (i < width)
                        blendCell(row, i, sum, colour);
                }
                from = g + GROUP;
            } while (word);
        }
        // A polygon cut off at the right edge stays covered up to it.
        blendRun(row, from, width, colourAt(sum, colour));
    }
}

void fillPath(RasterBand* band, const cairo_path_t* path, const cairo_matrix_t& m, uint32_t colour)
{
    if (colour == 0 || !band->cells || path->num_data <= 0)
        return;
    // The mapped extent, to skip a polygon that misses the band before adding any edge.
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        if (path->data[i].header.type == CAIRO_PATH_CLOSE_PATH)
            continue;
        const cairo_path_data_t& p = path->data[i + path->data[i].header.length - 1];
        const double x = m.xx * p.point.x + m.xy * p.point.y + m.x0;
        const double y = m.yx * p.point.x + m.yy * p.point.y + m.y0;
        minX = x < minX ? x : minX;
        maxX = x > maxX ? x : maxX;
        minY = y < minY ? y : minY;
        maxY = y > maxY ? y : maxY;
    }
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY))
        return;
    if (maxX <= band->left || minX >= band->right || maxY <= band->top || minY >= band->bottom)
        return;

    Touched t = {INT_MAX, -1, INT_MAX, -1};
    const double left = band->left;
    const double top = band->top;
    float startX = 0.0f, startY = 0.0f, x = 0.0f, y = 0.0f;
    bool open = false;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& h = path->data[i];
        if (h.header.type == CAIRO_PATH_CLOSE_PATH) {
            if (open)
                addEdge(band, &t, x, y, startX, startY);
            x = startX;
            y = startY;
            open = false;
            continue;
        }
        const cairo_path_data_t& p = path->data[i + h.header.length - 1]; // A curve's end point
        const float px = static_cast<float>(m.xx * p.point.x + m.xy * p.point.y + m.x0 - left);
        const float py = static_cast<float>(m.yx * p.point.x + m.yy * p.point.y + m.y0 - top);
        if (h.header.type == CAIRO_PATH_MOVE_TO) {
            if (open)
                addEdge(band, &t, x, y, startX, startY);
            startX = px;
            startY = py;
        } else {
            addEdge(band, &t, x, y, px, py);
        }
        x = px;
        y = py;
        open = true;
    }
    if (open)
        addEdge(band, &t, x, y, startX, startY);
    if (t.lastRow < t.firstRow)
        return;
    sweep(band, t, colour);
}
