// float_bits.h -- compares floats by their exact bit patterns.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t bitsOf(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

inline float floatOf(uint32_t bits)
{
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Bit-exact equality, which also tells 0 from -0; reports both patterns when it fails.
#define EXPECT_SAME_FLOAT(expected, actual)                                                        \
    EXPECT_EQ(bitsOf(static_cast<float>(expected)), bitsOf(actual))                               \
        << "expected " << static_cast<float>(expected) << ", got " << (actual)
