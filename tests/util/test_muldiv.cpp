// MulDiv must round exactly as Windows does: the resampler's 16.16 steps come from it, and a step
// one unit off moves every sampled column of a wide picture.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "util/muldiv.h"

using namespace quorvel;

TEST(MulDiv, RoundsHalvesAwayFromZeroLikeWindows) {
    struct Case {
        int number, numerator, denominator, expected;
    };
    const Case cases[] = {
        {3, 5, 2, 8},   // 7.5 rounds up
        {-3, 5, 2, -8}, // -7.5 rounds away from zero, not to -7
        {3, -5, 2, -8},
        {-3, -5, 2, 8},
        {3, 5, -2, -8},
        {96, 72, 96, 72},
        {1, 1, 3, 0}, // 0.33
        {2, 1, 3, 1}, // 0.67
        {5, 1, 2, 3}, // 2.5 goes to 3, not to the even 2
        {7, 1, 2, 4}, // 3.5 goes to 4
        {-5, 1, 2, -3},
        {0, 12345, 7, 0},
        {3839, 65536, 1920, 131038}, // a 4K row halved: 131038.13
        {1919, 65536, 3840, 32751},  // 32750.93
        {65535, 65536, 65536, 65535},
        {65535, 32769, 65536, 32768}, // 32768.49998
        {INT_MAX, 1, 1, INT_MAX},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MIN, 1, 2, -1073741824},
        {INT_MIN, -1, 2, 1073741824},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
    }
}

TEST(MulDiv, ZeroDivisorAndOverflowGiveMinusOne) {
    EXPECT_EQ(MulDiv(1, 2, 0), -1);
    EXPECT_EQ(MulDiv(0, 0, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
    EXPECT_EQ(MulDiv(INT_MIN, 1, 1), -1); // -2147483648 lies outside the range Windows returns
    EXPECT_EQ(MulDiv(INT_MIN, -1, 1), -1);
    EXPECT_EQ(MulDiv(40000, 65536, 1), -1); // the resampler's step for a 40001-pixel source
}

TEST(MulDiv64, AgreesWithMulDivWhereItFitsAndGoesBeyond) {
    for (const int number : {-7000, -3, -1, 0, 1, 2, 3, 1919, 3839, 65535}) {
        for (const int numerator : {-65536, -7, 1, 2, 65536}) {
            for (const int denominator : {-3, 1, 2, 3, 1080, 1920, 65536}) {
                const std::int64_t wide = MulDiv64(number, numerator, denominator);
                const bool fits = wide >= -INT_MAX && wide <= INT_MAX;
                EXPECT_EQ(MulDiv(number, numerator, denominator), fits ? wide : -1)
                    << number << " * " << numerator << " / " << denominator;
            }
        }
    }
    EXPECT_EQ(MulDiv64(40000, 65536, 1), std::int64_t{40000} * 65536);
    EXPECT_EQ(MulDiv64(-40000, 65536, 3), -873813333); // 873813333.33
}
