// test_video.cpp -- the parts of video capture: frame schedule, colour conversion, stream header.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame_schedule.h"
#include "png_sequence.h"
#include "y4m_stream.h"
#include "yuv420.h"

// Frame n is at from + floor(n * 1000 / fps) and the last frame is the last such time <= to.
TEST(FrameSchedule, CountsAndTimes)
{
    struct Case {
        int fps;
        uint32_t from;
        uint32_t to;
        int64_t count;
        std::vector<uint32_t> firstTimes;
    };
    const Case cases[] = {
        {60, 0, 38000, 2281, {0, 16, 33, 50, 66}},                // The whole show; 38000 is frame 2280
        {60, 0, 37999, 2280, {0, 16, 33}},                        // One millisecond short of that frame
        {60, 3000, 3100, 7, {3000, 3016, 3033, 3050}},            // 3100 itself is frame 6
        {30, 0, 1000, 31, {0, 33, 66, 100}},                      // 1000 itself is frame 30
        {1000, 0, 9, 10, {0, 1, 2, 3}},                           // One frame per millisecond
        {7, 0, 1000, 8, {0, 142, 285, 428, 571, 714, 857, 1000}}, // Frame times that do not divide evenly
        {7, 0, 999, 7, {0, 142, 285, 428, 571, 714, 857}},
        {1, 0, 999, 1, {0}},
        {1, 0, 1000, 2, {0, 1000}},
        {60, 5000, 5000, 1, {5000}},                      // from == to: one frame
        {60, 4294967295u, 4294967295u, 1, {4294967295u}}, // The clock's last value
        {1000, 0, 4294967295u, 4294967296ll, {0, 1, 2}},  // More frames than a 32-bit count holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("fps " + std::to_string(c.fps) + ", " + std::to_string(c.from) + ".." + std::to_string(c.to));
        EXPECT_EQ(c.count, frameCount(c.from, c.to, c.fps));
        for (size_t n = 0; n < c.firstTimes.size(); n++)
            EXPECT_EQ(c.firstTimes[n], frameTime(c.from, c.fps, static_cast<int64_t>(n))) << "frame " << n;
        EXPECT_LE(frameTime(c.from, c.fps, c.count - 1), c.to);
        // The frame after the last would be past to; work it out without 32-bit wrap-around.
        EXPECT_GT(static_cast<int64_t>(c.from) + c.count * 1000 / c.fps, static_cast<int64_t>(c.to));
    }
}

// BT.601 limited range from full-range RGB, in floating point.
static double referenceLuma(double r, double g, double b)
{
    return 16.0 + 219.0 * (0.299 * r + 0.587 * g + 0.114 * b) / 255.0;
}

static double referenceBlueDifference(double r, double g, double b)
{
    return 128.0 + 224.0 * (b - (0.299 * r + 0.587 * g + 0.114 * b)) / (1.772 * 255.0);
}

static double referenceRedDifference(double r, double g, double b)
{
    return 128.0 + 224.0 * (r - (0.299 * r + 0.587 * g + 0.114 * b)) / (1.402 * 255.0);
}

// An image of 32-bit pixels with a row padding, as a RenderTarget.
struct TestImage {
    int width;
    int height;
    int stride;
    std::vector<uint32_t> words;

    TestImage(int w, int h)
        : width(w)
        , height(h)
        , stride((w + 3) * 4)
        , words(static_cast<size_t>(w + 3) * h)
    {
    }
    uint32_t& at(int x, int y) { return words[static_cast<size_t>(y) * (stride / 4) + x]; }
    RenderTarget target()
    {
        return RenderTarget{reinterpret_cast<unsigned char*>(words.data()), width, height, stride};
    }
};

static uint32_t pixelOf(int r, int g, int b)
{
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

// The three planes of a converted image.
struct Planes {
    int width;
    int height;
    std::vector<unsigned char> bytes;

    int chromaWidth() const { return (width + 1) / 2; }
    int chromaHeight() const { return (height + 1) / 2; }
    int y(int x, int row) const { return bytes[static_cast<size_t>(row) * width + x]; }
    int cb(int x, int row) const { return bytes[static_cast<size_t>(width) * height + row * chromaWidth() + x]; }
    int cr(int x, int row) const
    {
        return bytes[static_cast<size_t>(width) * height + chromaWidth() * chromaHeight() + row * chromaWidth() + x];
    }
};

static Planes convert(TestImage& image)
{
    Planes planes{image.width, image.height, std::vector<unsigned char>(yuv420Size(image.width, image.height))};
    convertToYuv420(image.target(), planes.bytes.data());
    return planes;
}

// Known colours come out at their BT.601 values, both one at a time and through the whole-image
// conversion; black and white exactly, the primaries within one step.
TEST(ColourConversion, KnownColours)
{
    struct Case {
        const char* name;
        int r, g, b;
        int y, cb, cr; // Expected
        int tolerance;
    };
    const Case cases[] = {
        {"black", 0, 0, 0, 16, 128, 128, 0},  {"white", 255, 255, 255, 235, 128, 128, 0},
        {"red", 255, 0, 0, 81, 90, 240, 1},   {"green", 0, 255, 0, 145, 54, 34, 1},
        {"blue", 0, 0, 255, 41, 240, 110, 1}, {"background green", 0, 64, 0, 48, 109, 104, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(c.y, lumaOf(c.r, c.g, c.b), c.tolerance);
        EXPECT_NEAR(c.cb, blueDifferenceOf(c.r, c.g, c.b), c.tolerance);
        EXPECT_NEAR(c.cr, redDifferenceOf(c.r, c.g, c.b), c.tolerance);
        EXPECT_NEAR(referenceLuma(c.r, c.g, c.b), lumaOf(c.r, c.g, c.b), 0.5 + 1e-9);

        TestImage image(18, 6); // Runs of eight and a tail
        for (int y = 0; y < image.height; y++)
            for (int x = 0; x < image.width; x++)
                image.at(x, y) = pixelOf(c.r, c.g, c.b);
        const Planes planes = convert(image);
        for (int y = 0; y < planes.height; y++)
            for (int x = 0; x < planes.width; x++)
                ASSERT_EQ(lumaOf(c.r, c.g, c.b), planes.y(x, y)) << x << ", " << y;
        for (int y = 0; y < planes.chromaHeight(); y++)
            for (int x = 0; x < planes.chromaWidth(); x++) {
                ASSERT_EQ(blueDifferenceOf(c.r, c.g, c.b), planes.cb(x, y)) << x << ", " << y;
                ASSERT_EQ(redDifferenceOf(c.r, c.g, c.b), planes.cr(x, y)) << x << ", " << y;
            }
    }
}

// Every colour rounds to its nearest step, every grey has neutral chroma, and the range
// never leaves 16..235 and 16..240.
TEST(ColourConversion, WholeCubeAgainstFloatingPoint)
{
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 7) {
                ASSERT_NEAR(referenceLuma(r, g, b), lumaOf(r, g, b), 0.51) << r << ", " << g << ", " << b;
                ASSERT_NEAR(referenceBlueDifference(r, g, b), blueDifferenceOf(r, g, b), 0.51)
                    << r << ", " << g << ", " << b;
                ASSERT_NEAR(referenceRedDifference(r, g, b), redDifferenceOf(r, g, b), 0.51)
                    << r << ", " << g << ", " << b;
            }
    for (int v = 0; v < 256; v++) {
        EXPECT_EQ(128, blueDifferenceOf(v, v, v)) << v;
        EXPECT_EQ(128, redDifferenceOf(v, v, v)) << v;
        EXPECT_EQ(std::lround(referenceLuma(v, v, v)), lumaOf(v, v, v)) << v;
    }
}

// Random pixels (with junk in the unused top byte) at sizes that leave odd edges and short
// runs: luma is each pixel's own, chroma that of the mean of its 2 x 2 block, clipped at an
// odd edge. Blocks of one colour must give that colour's chroma exactly.
TEST(ColourConversion, PlanesOfOddSizesAndEdges)
{
    struct Size {
        int width;
        int height;
    };
    const Size sizes[] = {{1, 1}, {2, 2}, {7, 3}, {8, 2}, {9, 5}, {16, 4}, {37, 23}, {640, 480}, {641, 481}};
    std::mt19937 random(12345);
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        TestImage noisy(size.width, size.height), blocky(size.width, size.height);
        for (int y = 0; y < size.height; y++)
            for (int x = 0; x < size.width; x++) {
                noisy.at(x, y) = static_cast<uint32_t>(random());
                blocky.at(x, y) = (y % 2 == 0 && x % 2 == 0) ? static_cast<uint32_t>(random())
                                                             : (blocky.at(x - x % 2, y - y % 2) & 0xFFFFFF);
            }
        const Planes noisyPlanes = convert(noisy), blockyPlanes = convert(blocky);
        for (int y = 0; y < size.height; y++)
            for (int x = 0; x < size.width; x++) {
                const uint32_t p = noisy.at(x, y);
                ASSERT_EQ(lumaOf(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF), noisyPlanes.y(x, y)) << x << ", " << y;
            }
        for (int cy = 0; cy < noisyPlanes.chromaHeight(); cy++)
            for (int cx = 0; cx < noisyPlanes.chromaWidth(); cx++) {
                double r = 0, g = 0, b = 0;
                int n = 0;
                for (int y = 2 * cy; y < std::min(2 * cy + 2, size.height); y++)
                    for (int x = 2 * cx; x < std::min(2 * cx + 2, size.width); x++, n++) {
                        const uint32_t p = noisy.at(x, y);
                        r += p >> 16 & 0xFF;
                        g += p >> 8 & 0xFF;
                        b += p & 0xFF;
                    }
                ASSERT_NEAR(referenceBlueDifference(r / n, g / n, b / n), noisyPlanes.cb(cx, cy), 0.51)
                    << cx << ", " << cy;
                ASSERT_NEAR(referenceRedDifference(r / n, g / n, b / n), noisyPlanes.cr(cx, cy), 0.51)
                    << cx << ", " << cy;
                const uint32_t p = blocky.at(2 * cx, 2 * cy);
                ASSERT_EQ(blueDifferenceOf(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF), blockyPlanes.cb(cx, cy))
                    << cx << ", " << cy;
                ASSERT_EQ(redDifferenceOf(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF), blockyPlanes.cr(cx, cy))
                    << cx << ", " << cy;
            }
    }
}

TEST(Y4mStream, HeaderAndSizes)
{
    EXPECT_EQ("YUV4MPEG2 W640 H480 F60:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n", y4mHeader(640, 480, 60));
    EXPECT_EQ("YUV4MPEG2 W1440 H1080 F7:1 Ip A1:1 C420jpeg XCOLORRANGE=LIMITED\n", y4mHeader(1440, 1080, 7));
    EXPECT_EQ(640u * 480 * 3 / 2, yuv420Size(640, 480));
    EXPECT_EQ(641u * 481 + 2 * 321 * 241, yuv420Size(641, 481));
    EXPECT_EQ(3u, yuv420Size(1, 1));
}

TEST(PngSequence, FrameNames)
{
    EXPECT_EQ("frame-00000.png", sequenceFrameName(0));
    EXPECT_EQ("frame-02280.png", sequenceFrameName(2280));
    EXPECT_EQ("frame-123456.png", sequenceFrameName(123456)); // Widens rather than wraps
}
