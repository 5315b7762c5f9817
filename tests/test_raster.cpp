// test_raster.cpp -- the polygon filler against exact areas worked out separately: every
// pixel of a white polygon filled over black must carry the share of the pixel it covers.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "raster.h"

struct Vertex {
    double x;
    double y;
};

// The part of polygon on the side of the line x = edge (keepBelow: x <= edge) or, with
// vertical, y = edge. One step of Sutherland-Hodgman clipping.
static std::vector<Vertex> clipTo(const std::vector<Vertex>& polygon, double edge, bool vertical, bool keepBelow)
{
    std::vector<Vertex> out;
    const auto coordinate = [vertical](const Vertex& v) { return vertical ? v.y : v.x; };
    const auto inside = [&](const Vertex& v) { return keepBelow ? coordinate(v) <= edge : coordinate(v) >= edge; };
    for (size_t i = 0; i < polygon.size(); i++) {
        const Vertex& a = polygon[i];
        const Vertex& b = polygon[(i + 1) % polygon.size()];
        if (inside(a))
            out.push_back(a);
        if (inside(a) != inside(b)) {
            const double t = (edge - coordinate(a)) / (coordinate(b) - coordinate(a));
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return out;
}

// How much of the pixel (px, py) a simple polygon covers, by clipping it to the pixel.
static double coveredArea(const std::vector<Vertex>& polygon, int px, int py)
{
    std::vector<Vertex> p = clipTo(polygon, px, false, false);
    p = clipTo(p, px + 1, false, true);
    p = clipTo(p, py, true, false);
    p = clipTo(p, py + 1, true, true);
    double twice = 0.0;
    for (size_t i = 0; i < p.size(); i++) {
        const Vertex& a = p[i];
        const Vertex& b = p[(i + 1) % p.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(twice) / 2.0;
}

// A polygon as a closed path in the form the filler takes.
static std::vector<cairo_path_data_t> pathOf(const std::vector<Vertex>& polygon)
{
    std::vector<cairo_path_data_t> data;
    for (size_t i = 0; i < polygon.size(); i++) {
        cairo_path_data_t header;
        header.header.type = i == 0 ? CAIRO_PATH_MOVE_TO : CAIRO_PATH_LINE_TO;
        header.header.length = 2;
        cairo_path_data_t point;
        point.point.x = polygon[i].x;
        point.point.y = polygon[i].y;
        data.push_back(header);
        data.push_back(point);
    }
    cairo_path_data_t close;
    close.header.type = CAIRO_PATH_CLOSE_PATH;
    close.header.length = 1;
    data.push_back(close);
    return data;
}

TEST(RasterTest, PixelsCarryTheExactAreaTheyCover)
{
    struct Case {
        const char* what;
        int width; // Target size; widths that are no multiple of four end in single pixels
        int height;
        std::vector<Vertex> polygon;
    };
    const Case cases[] = {
        {"rectangle on fractions", 32, 16, {{2.3, 1.6}, {27.75, 1.6}, {27.75, 12.2}, {2.3, 12.2}}},
        {"the same wound the other way", 32, 16, {{2.3, 1.6}, {2.3, 12.2}, {27.75, 12.2}, {27.75, 1.6}}},
        {"steep and shallow edges", 37, 20, {{1.2, 18.9}, {35.6, 2.25}, {20.1, 19.7}}},
        {"a sliver inside one row", 24, 4, {{0.5, 1.25}, {23.5, 1.5}, {0.5, 1.75}}},
        {"cut by the left and right sides", 21, 12, {{-6.5, 2.3}, {10.4, -3.0}, {28.2, 6.6}, {9.7, 11.4}}},
        {"ending on the last column", 13, 9, {{3.25, 0.5}, {13.0, 0.5}, {13.0, 8.75}, {6.5, 8.75}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> pixels(static_cast<size_t>(c.width) * c.height, 0xFF000000u);
        RasterBand band = {};
        band.pixels = reinterpret_cast<unsigned char*>(pixels.data());
        band.stride = c.width * 4;
        band.bottom = c.height;
        band.right = c.width;
        ASSERT_TRUE(reserveBand(&band, c.height, c.width));
        const std::vector<cairo_path_data_t> data = pathOf(c.polygon);
        const cairo_path_t path = {CAIRO_STATUS_SUCCESS, const_cast<cairo_path_data_t*>(data.data()),
                                   static_cast<int>(data.size())};
        cairo_matrix_t identity;
        cairo_matrix_init_identity(&identity);
        fillPath(&band, &path, identity, 0xFFFFFFFFu);
        releaseBand(&band);

        int worst = 0;
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++) {
                const uint32_t p = pixels[static_cast<size_t>(y) * c.width + x];
                const int expected = static_cast<int>(std::lround(coveredArea(c.polygon, x, y) * 255.0));
                const int channels[3] = {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                         static_cast<int>(p & 0xFF)};
                ASSERT_TRUE(channels[0] == channels[1] && channels[1] == channels[2]) << x << ", " << y;
                worst = std::max(worst, std::abs(channels[0] - expected));
            }
        // Float sums of the cells may land a level either side of the exact rounding.
        EXPECT_LE(worst, 1);
    }
}

// Cells are zero again after each polygon, so a second fill of the same polygon over the
// first gives what two blends of the same coverage give, with nothing left over.
TEST(RasterTest, EachFillLeavesTheCellsClean)
{
    const int width = 19;
    const int height = 7;
    const std::vector<Vertex> triangle = {{0.4, 0.3}, {18.6, 3.1}, {2.2, 6.8}};
    const std::vector<cairo_path_data_t> data = pathOf(triangle);
    const cairo_path_t path = {CAIRO_STATUS_SUCCESS, const_cast<cairo_path_data_t*>(data.data()),
                               static_cast<int>(data.size())};
    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    const uint32_t halfWhite = 0x80808080u;

    std::vector<uint32_t> once(static_cast<size_t>(width) * height, 0xFF000000u);
    std::vector<uint32_t> twice = once;
    RasterBand band = {};
    band.stride = width * 4;
    band.bottom = height;
    band.right = width;
    ASSERT_TRUE(reserveBand(&band, height, width));
    band.pixels = reinterpret_cast<unsigned char*>(once.data());
    fillPath(&band, &path, identity, halfWhite);
    band.pixels = reinterpret_cast<unsigned char*>(twice.data());
    fillPath(&band, &path, identity, halfWhite);
    fillPath(&band, &path, identity, halfWhite);

    // Blending once more over the once-filled pixels must give the twice-filled ones.
    band.pixels = reinterpret_cast<unsigned char*>(once.data());
    fillPath(&band, &path, identity, halfWhite);
    EXPECT_EQ(once, twice);
    for (int i = 0; i < band.capacityRows * band.cellsPerRow; i++)
        ASSERT_EQ(band.cells[i], 0.0f) << "cell " << i;
    for (int i = 0; i < band.capacityRows * band.wordsPerRow; i++)
        ASSERT_EQ(band.touched[i], 0u) << "word " << i;
    releaseBand(&band);
}
