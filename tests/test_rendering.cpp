// test_rendering.cpp -- whole frames drawn with the real cairo and Pango, checked by pixel.
#include <algorithm>
#include <cmath>

#include "render_fixture.h"

static const Rgb BACKGROUND = {0, 64, 0}; // (0, 0.25, 0)
static const Rgb BLACK = {0, 0, 0};

static bool near(const Rgb& expected, const Rgb& actual, int tolerance)
{
    return std::abs(expected.r - actual.r) <= tolerance && std::abs(expected.g - actual.g) <= tolerance &&
           std::abs(expected.b - actual.b) <= tolerance;
}

// How many pixels of frame are not within tolerance of colour; the first one is reported.
static int countUnlike(const Frame& frame, const Rgb& colour, int tolerance)
{
    int count = 0;
    for (int y = 0; y < frame.height; y++)
        for (int x = 0; x < frame.width; x++)
            if (!near(colour, frame.at(x, y), tolerance) && count++ == 0)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is (" << frame.at(x, y).r << ", "
                              << frame.at(x, y).g << ", " << frame.at(x, y).b << ")";
    return count;
}

// Frames that are one colour from edge to edge: before anything fades in, and once the
// black overlay has covered everything.
TEST_F(RenderTest, UniformFrames)
{
    struct Case {
        SceneClock t;
        Rgb colour;
    };
    const Case cases[] = {
        {0, BACKGROUND},          // Every brush at opacity 0
        {1999, BACKGROUND},       // Last instant before the hexagons start to fade in
        {38000, BLACK},           // Overlay fully opaque
        {41234, BLACK},           // A late last frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(0, countUnlike(frameAt(c.t), c.colour, 1));
    }
}

// At 3 s only the hexagon row is showing, half faded in: green shapes along the bottom,
// the rest of the scene untouched and nothing red or blue anywhere.
TEST_F(RenderTest, HexagonRowAloneAtThreeSeconds)
{
    const Frame frame = frameAt(3000);
    int greenish = 0;
    for (int y = 0; y < frame.height; y++)
        for (int x = 0; x < frame.width; x++) {
            const Rgb p = frame.at(x, y);
            ASSERT_LE(p.r, p.g) << "reddish pixel at (" << x << ", " << y << ")";
            ASSERT_LE(p.b, p.g) << "bluish pixel at (" << x << ", " << y << ")";
            if (y < 320) {
                ASSERT_TRUE(near(BACKGROUND, p, 1)) << "pixel above the row at (" << x << ", " << y << ")";
            } else if (!near(BACKGROUND, p, 6)) {
                greenish++;
                // Centres at y 350..400, radius up to 18 plus the half outline and its mitres.
                EXPECT_TRUE(y >= 325 && y < 425) << "pixel outside the row at (" << x << ", " << y << ")";
            }
        }
    // 19 hexagons on screen, each with a 4-unit outline around a radius of 12 to 18.
    EXPECT_GT(greenish, 19 * 150);
}

// The first text line at full opacity (17 s): white at 0.8 over whatever lies behind it,
// centred in the scene. The frame without the line gives what lies behind each pixel.
TEST_F(RenderTest, FirstTextLineWhiteAtEightTenthsAndCentred)
{
    const Frame withText = frameAt(17000);
    prepare(17000);
    setOpacity(&brushes[TEXT_LINE_1], 0.0f);
    const Frame behind = draw();

    int left = withText.width, right = -1, top = withText.height, bottom = -1;
    int solid = 0;
    for (int y = 0; y < withText.height; y++)
        for (int x = 0; x < withText.width; x++) {
            const Rgb p = withText.at(x, y);
            const Rgb q = behind.at(x, y);
            if (near(q, p, 1))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            // Over any background, white at alpha a gives q + a (255 - q) in every channel
            // with the same a, and a never exceeds 0.8.
            const double ar = (p.r - q.r) / (255.0 - q.r);
            const double ag = (p.g - q.g) / (255.0 - q.g);
            const double ab = (p.b - q.b) / (255.0 - q.b);
            ASSERT_NEAR(ar, ag, 0.03) << "at (" << x << ", " << y << ")";
            ASSERT_NEAR(ar, ab, 0.03) << "at (" << x << ", " << y << ")";
            ASSERT_LE(ar, 0.81) << "at (" << x << ", " << y << ")";
            // Glyph interiors: 0.8 * 255 + 0.2 * background.
            if (ar > 0.79) {
                solid++;
                const Rgb expected = {static_cast<int>(std::lround(204 + 0.2 * q.r)),
                                      static_cast<int>(std::lround(204 + 0.2 * q.g)),
                                      static_cast<int>(std::lround(204 + 0.2 * q.b))};
                ASSERT_TRUE(near(expected, p, 2)) << "at (" << x << ", " << y << ")";
            }
        }
    EXPECT_GT(solid, 100);
    // "t w o    h o u r s": 18 advances of 21.6 px, centred; its ink is a little
    // narrower than its advances on both sides.
    EXPECT_NEAR(320.0, (left + right + 1) / 2.0, 2.5);
    EXPECT_NEAR(18 * 21.6, right + 1 - left, 8.0);
    // One row of 36 px, centred vertically: the row spans 222..258.
    EXPECT_GE(top, 222 - 2);
    EXPECT_LE(bottom, 258);
    EXPECT_GT(bottom - top, 15);
}

// The 4-unit outline is scaled with its shape: a star at scale -0.5 has a 2 px stroke,
// the full-size star a 4 px one. Only that star's outline is drawn, opaque white; the
// pixels along one row across the middle of an edge then sum to the stroke's horizontal
// chord, width / |normal.x|.
TEST_F(RenderTest, OutlineWidthScalesWithTheShape)
{
    struct Case {
        int item;
        double width; // Pixels
    };
    const Case cases[] = {
        {SHAPE_COUNT - 1, 2.0}, // Star 5, scale -0.50000006
        {SHAPE_COUNT - 6, 4.0}, // Star 0, scale 1
        {SHAPE_COUNT - 4, 1.6}, // Star 2, scale 0.39999998
    };
    static const Brush clear = {{0.0f, 0.0f, 0.0f, 0.0f}, 0.0f};
    static const Brush white = {{1.0f, 1.0f, 1.0f, 1.0f}, 1.0f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        prepare(0); // All stars at angle 0
        for (DrawItem& item : drawItems) {
            item.fill = &clear;
            item.outline = &clear;
        }
        drawItems[c.item].outline = &white;
        const Frame frame = draw();

        // The edge from point 0 (a notch) to point 1 (a tip), in pixels.
        const Matrix3x2& m = drawItems[c.item].transform;
        const Point2 p0 = geometries[STAR_SLOT].points[0];
        const Point2 p1 = geometries[STAR_SLOT].points[1];
        const double x0 = p0.x * m.m11 + p0.y * m.m21 + m.dx, y0 = p0.x * m.m12 + p0.y * m.m22 + m.dy;
        const double x1 = p1.x * m.m11 + p1.y * m.m21 + m.dx, y1 = p1.x * m.m12 + p1.y * m.m22 + m.dy;
        const double length = std::hypot(x1 - x0, y1 - y0);
        const double normalX = (y1 - y0) / length;
        const double midX = (x0 + x1) / 2.0;
        const int row = static_cast<int>(std::floor((y0 + y1) / 2.0));

        double covered = 0.0;
        for (int x = static_cast<int>(midX) - 10; x <= static_cast<int>(midX) + 10; x++)
            covered += frame.at(x, row).r / 255.0;
        EXPECT_NEAR(c.width, covered * std::fabs(normalX), 0.1);
    }
}

// Drawing at twice the size is the same picture in finer pixels: averaged 2 x 2 it
// matches the frame drawn at 640 x 480, edges and glyphs included.
TEST_F(RenderTest, DoubleSizeMatchesAfterDownsampling)
{
    const SceneClock times[] = {12000, 17000, 33000};
    for (SceneClock t : times) {
        SCOPED_TRACE(t);
        const Frame small = frameAt(t);
        const Frame large = frameAt(t, 1280, 960);
        ASSERT_EQ(1280, large.width);
        ASSERT_EQ(960, large.height);
        double total = 0.0;
        int worst = 0;
        int over = 0;
        for (int y = 0; y < small.height; y++)
            for (int x = 0; x < small.width; x++) {
                const Rgb a = large.at(2 * x, 2 * y), b = large.at(2 * x + 1, 2 * y);
                const Rgb c = large.at(2 * x, 2 * y + 1), d = large.at(2 * x + 1, 2 * y + 1);
                const Rgb mean = {(a.r + b.r + c.r + d.r + 2) / 4, (a.g + b.g + c.g + d.g + 2) / 4,
                                  (a.b + b.b + c.b + d.b + 2) / 4};
                const Rgb s = small.at(x, y);
                const int diff =
                    std::max({std::abs(mean.r - s.r), std::abs(mean.g - s.g), std::abs(mean.b - s.b)});
                total += diff;
                worst = std::max(worst, diff);
                over += diff > 8;
            }
        EXPECT_LT(total / (small.width * small.height), 0.5);
        EXPECT_LE(worst, 32);
        EXPECT_LT(over, small.width * small.height / 1000);
    }
}

// A target of another shape gets the scene at the largest size that fits, centred, with
// black bars beside it; rows may be padded, and the padding is left alone.
TEST_F(RenderTest, LetterboxesIntoOtherShapes)
{
    struct Case {
        int width;
        int height;
        int stride;   // Bytes per row
        int sceneX;   // Where the scene's top-left lands
        int sceneY;
    };
    const Case cases[] = {
        {1000, 480, 4000, 180, 0},  // Wide: bars left and right
        {640, 960, 2560, 0, 240},   // Tall: bars above and below
        {700, 480, 2816, 30, 0},    // Slightly wider, padded rows
    };
    const Frame reference = frameAt(8000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const unsigned char SENTINEL = 0xA5;
        std::vector<unsigned char> pixels(static_cast<size_t>(c.stride) * c.height, SENTINEL);
        const RenderTarget target = {pixels.data(), c.width, c.height, c.stride};
        drawScene(target);

        for (int y = 0; y < c.height; y++) {
            for (int x = 0; x < c.width; x++) {
                const Rgb p = pixelOf(target, x, y);
                const int sx = x - c.sceneX, sy = y - c.sceneY;
                const bool inScene = sx >= 0 && sx < 640 && sy >= 0 && sy < 480;
                ASSERT_TRUE(near(inScene ? reference.at(sx, sy) : BLACK, p, 1))
                    << "at (" << x << ", " << y << ")";
            }
            for (int i = 4 * c.width; i < c.stride; i++)
                ASSERT_EQ(SENTINEL, pixels[static_cast<size_t>(y) * c.stride + i]) << "row padding of row " << y;
        }
    }
}

// A target cairo cannot draw into (rows not a whole number of pixels long) is left as it
// was rather than half drawn; the next good target is drawn in full.
TEST_F(RenderTest, UndrawableTargetIsLeftAlone)
{
    prepare(8000);
    const unsigned char SENTINEL = 0x5A;
    std::vector<unsigned char> pixels(static_cast<size_t>(2563) * 480, SENTINEL);
    drawScene(RenderTarget{pixels.data(), 640, 480, 2563});
    EXPECT_EQ(std::vector<unsigned char>(pixels.size(), SENTINEL), pixels);
    EXPECT_EQ(0, countUnlike(frameAt(0), BACKGROUND, 1));
}
