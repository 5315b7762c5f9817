// yuv420.cpp -- RGB to Y'CbCr in fixed point: SSE2 for runs of eight pixels, plain C for the
// rest. Both paths compute exactly the same integers, so the output never depends on width.
#include "yuv420.h"

#include <cstring> // Required for: memcpy()

#if defined(__SSE2__)
#include <emmintrin.h> // Required for: _mm_madd_epi16() and the other SSE2 operations
#endif

// BT.601 weights scaled to studio swing (219 steps of Y', 224 of Cb and Cr over 255 of RGB).
// Luma weights are scaled by 2^15 and chroma weights by 2^14, all within 16 bits so that
// one multiply-add of 16-bit lanes forms them. Chroma applies to the sum of a 2 x 2 block,
// so its result is shifted down by 16. Each chroma row sums to exactly 0: every grey has
// Cb = Cr = 128.
static const int Y_R = 8415, Y_G = 16519, Y_B = 3208; // Sum rounded up: greys land on their nearest step
static const int CB_R = -2428, CB_G = -4768, CB_B = 7196;
static const int CR_R = 7196, CR_G = -6026, CR_B = -1170;

static const int Y_BIAS = (16 << 15) + (1 << 14);  // Black level, plus a half for rounding
static const int C_BIAS = (128 << 16) + (1 << 15); // Mid level, plus a half for rounding

static const int VECTOR_PIXELS = 8; // Pixels of one row per SSE2 step

size_t yuv420Size(int width, int height)
{
    const size_t chromaWidth = (static_cast<size_t>(width) + 1) / 2;
    const size_t chromaHeight = (static_cast<size_t>(height) + 1) / 2;
    return static_cast<size_t>(width) * height + 2 * chromaWidth * chromaHeight;
}

int lumaOf(int r, int g, int b)
{
    return (Y_R * r + Y_G * g + Y_B * b + Y_BIAS) >> 15;
}

int blueDifferenceOf(int r, int g, int b)
{
    return (CB_R * 4 * r + CB_G * 4 * g + CB_B * 4 * b + C_BIAS) >> 16;
}

int redDifferenceOf(int r, int g, int b)
{
    return (CR_R * 4 * r + CR_G * 4 * g + CR_B * 4 * b + C_BIAS) >> 16;
}

// The top byte of a pixel is unused and may hold anything; it is never read.
static inline int redOf(uint32_t p)
{
    return static_cast<int>((p >> 16) & 0xFF);
}

static inline int greenOf(uint32_t p)
{
    return static_cast<int>((p >> 8) & 0xFF);
}

static inline int blueOf(uint32_t p)
{
    return static_cast<int>(p & 0xFF);
}

static void lumaRun(const uint32_t* row, unsigned char* luma, int from, int to)
{
    for (int x = from; x < to; x++)
        luma[x] = static_cast<unsigned char>(lumaOf(redOf(row[x]), greenOf(row[x]), blueOf(row[x])));
}

// Chroma of blocks from..to-1 of the rows top and bottom; a pixel past the right edge is
// the last one again, so an odd last column counts twice.
static void chromaRun(const uint32_t* top, const uint32_t* bottom, int width, unsigned char* cb, unsigned char* cr,
                      int from, int to)
{
    for (int i = from; i < to; i++) {
        const int left = 2 * i, right = 2 * i + 1 < width ? 2 * i + 1 : 2 * i;
        const uint32_t a = top[left], b = top[right], c = bottom[left], d = bottom[right];
        const int r = redOf(a) + redOf(b) + redOf(c) + redOf(d);
        const int g = greenOf(a) + greenOf(b) + greenOf(c) + greenOf(d);
        const int bl = blueOf(a) + blueOf(b) + blueOf(c) + blueOf(d);
        cb[i] = static_cast<unsigned char>((CB_R * r + CB_G * g + CB_B * bl + C_BIAS) >> 16);
        cr[i] = static_cast<unsigned char>((CR_R * r + CR_G * g + CR_B * bl + C_BIAS) >> 16);
    }
}

#if defined(__SSE2__)

// Pixels sit in memory as blue, green, red, unused; widened to 16-bit lanes in that order.
static inline __m128i weights(int red, int green, int blue)
{
    return _mm_setr_epi16(static_cast<short>(blue), static_cast<short>(green), static_cast<short>(red), 0,
                          static_cast<short>(blue), static_cast<short>(green), static_cast<short>(red), 0);
}

// Adds neighbouring 32-bit lanes: (a0+a1, a2+a3, b0+b1, b2+b3).
static inline __m128i pairSums(__m128i a, __m128i b)
{
    const __m128 fa = _mm_castsi128_ps(a), fb = _mm_castsi128_ps(b);
    return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0))),
                         _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1))));
}

// Y' of four pixels as 32-bit lanes.
static inline __m128i lumaOf4(__m128i pixels, __m128i yWeights)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_madd_epi16(_mm_unpacklo_epi8(pixels, zero), yWeights);
    const __m128i high = _mm_madd_epi16(_mm_unpackhi_epi8(pixels, zero), yWeights);
    return _mm_srai_epi32(_mm_add_epi32(pairSums(low, high), _mm_set1_epi32(Y_BIAS)), 15);
}

// Stores Y' of eight pixels given as two runs of four.
static inline void storeLuma8(__m128i first, __m128i second, __m128i yWeights, unsigned char* luma)
{
    const __m128i words = _mm_packs_epi32(lumaOf4(first, yWeights), lumaOf4(second, yWeights));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(luma), _mm_packus_epi16(words, words));
}

// Channel sums of two 2 x 2 blocks (four columns of two rows) as 16-bit lanes, block by block.
static inline __m128i blockSums(__m128i top, __m128i bottom)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i first = _mm_add_epi16(_mm_unpacklo_epi8(top, zero), _mm_unpacklo_epi8(bottom, zero));
    const __m128i second = _mm_add_epi16(_mm_unpackhi_epi8(top, zero), _mm_unpackhi_epi8(bottom, zero));
    return _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
}

// Y' of the top row, of the bottom row when pair (else it is the top row again), and the
// chroma of their blocks, for the first count pixels, count a multiple of VECTOR_PIXELS. Each pixel is read once.
static void rowPairVector(const uint32_t* top, const uint32_t* bottom, bool pair, unsigned char* lumaTop,
                          unsigned char* lumaBottom, unsigned char* cb, unsigned char* cr, int count)
{
    const __m128i yWeights = weights(Y_R, Y_G, Y_B);
    const __m128i cbWeights = weights(CB_R, CB_G, CB_B);
    const __m128i crWeights = weights(CR_R, CR_G, CR_B);
    const __m128i bias = _mm_set1_epi32(C_BIAS);
    for (int x = 0; x < count; x += VECTOR_PIXELS) {
        const __m128i* t = reinterpret_cast<const __m128i*>(top + x);
        const __m128i* b = reinterpret_cast<const __m128i*>(bottom + x);
        const __m128i top0 = _mm_loadu_si128(t), top1 = _mm_loadu_si128(t + 1);
        const __m128i bottom0 = _mm_loadu_si128(b), bottom1 = _mm_loadu_si128(b + 1);
        storeLuma8(top0, top1, yWeights, lumaTop + x);
        if (pair)
            storeLuma8(bottom0, bottom1, yWeights, lumaBottom + x);
        const __m128i blocks01 = blockSums(top0, bottom0);
        const __m128i blocks23 = blockSums(top1, bottom1);
        const __m128i blue = _mm_srai_epi32(
            _mm_add_epi32(pairSums(_mm_madd_epi16(blocks01, cbWeights), _mm_madd_epi16(blocks23, cbWeights)), bias),
            16);
        const __m128i red = _mm_srai_epi32(
            _mm_add_epi32(pairSums(_mm_madd_epi16(blocks01, crWeights), _mm_madd_epi16(blocks23, crWeights)), bias),
            16);
        const __m128i words = _mm_packs_epi32(blue, red);
        const __m128i bytes = _mm_packus_epi16(words, words);
        const int blueBytes = _mm_cvtsi128_si32(bytes), redBytes = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 4));
        std::memcpy(cb + x / 2, &blueBytes, 4);
        std::memcpy(cr + x / 2, &redBytes, 4);
    }
}

#else

static void rowPairVector(const uint32_t*, const uint32_t*, bool, unsigned char*, unsigned char*, unsigned char*,
                          unsigned char*, int)
{
}

#endif

static inline const uint32_t* rowOf(const RenderTarget& image, int y)
{
    return reinterpret_cast<const uint32_t*>(image.pixels + static_cast<size_t>(y) * image.stride);
}

void convertToYuv420(const RenderTarget& image, unsigned char* out)
{
    const int width = image.width;
    const int height = image.height;
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
#if defined(__SSE2__)
    const int vectorWidth = width - width % VECTOR_PIXELS;
#else
    const int vectorWidth = 0;
#endif
    unsigned char* lumaPlane = out;
    unsigned char* cbPlane = out + static_cast<size_t>(width) * height;
    unsigned char* crPlane = cbPlane + static_cast<size_t>(chromaWidth) * chromaHeight;

    for (int cy = 0; cy < chromaHeight; cy++) {
        const int y0 = 2 * cy;
        const bool pair = y0 + 1 < height; // A bottom row of its own counts twice
        const uint32_t* top = rowOf(image, y0);
        const uint32_t* bottom = rowOf(image, pair ? y0 + 1 : y0);
        unsigned char* lumaTop = lumaPlane + static_cast<size_t>(y0) * width;
        unsigned char* cb = cbPlane + static_cast<size_t>(cy) * chromaWidth;
        unsigned char* cr = crPlane + static_cast<size_t>(cy) * chromaWidth;

        rowPairVector(top, bottom, pair, lumaTop, lumaTop + width, cb, cr, vectorWidth);
        lumaRun(top, lumaTop, vectorWidth, width);
        if (pair)
            lumaRun(bottom, lumaTop + width, vectorWidth, width);
        chromaRun(top, bottom, width, cb, cr, vectorWidth / 2, chromaWidth);
    }
}
