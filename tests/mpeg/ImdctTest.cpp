#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "mpeg/layer3/MpegImdct.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// The transform exactly as the standard writes it.
double DirectImdct(const double* X, int n, int i)
{
    double sum = 0.0;
    for (int k = 0; k < n / 2; ++k) {
        sum += X[k] * std::cos(Pi / (2 * n) * (2 * i + 1 + n / 2.0) * (2 * k + 1));
    }
    return sum;
}

}  // namespace

TEST(Imdct, LongBlocksEqualTheFormulaTimesTheirWindow)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int blockType : {0, 1, 3}) {
        for (int trial = 0; trial < 20; ++trial) {
            float in[18];
            double exact[18];
            for (int k = 0; k < 18; ++k) {
                exact[k] = in[k] = value(random);
            }
            float out[36];
            InverseMdct(in, out, blockType);
            for (int i = 0; i < 36; ++i) {
                ASSERT_NEAR(out[i], DirectImdct(exact, 36, i) * ImdctWindow(blockType)[i], 2e-5)
                    << blockType << " " << i;
            }
        }
    }
}

TEST(Imdct, FourSubbandsSideBySideAreEachSubbandsTransformBitForBit)
{
    // Quiet, loud and extreme values (infinities, the smallest, zeros of both signs)
    // in four subbands laid out as a granule holds them; any two non-numbers match.
    std::mt19937 random(9);
    const float extremes[] = {std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::denorm_min(),
                              -0.0f,
                              0.0f,
                              3e38f};
    auto same = [](float A, float B) { return (A != A && B != B) || std::memcmp(&A, &B, sizeof A) == 0; };
    for (int blockType : {0, 1, 2, 3}) {
        for (int trial = 0; trial < 40; ++trial) {
            const float scale = trial % 3 == 0 ? 1e-30f : trial % 3 == 1 ? 1.0f : 1e6f;
            std::uniform_real_distribution<float> value(-scale, scale);
            float in[4 * 18];
            for (float& x : in) {
                x = value(random);
            }
            if (trial >= 30) {
                in[random() % 72] = extremes[trial % 6];
            }
            float four[4 * 36];
            InverseMdctFour(in, 18, four, blockType);
            for (int b = 0; b < 4; ++b) {
                float one[36];
                InverseMdct(in + 18 * b, one, blockType);
                for (int i = 0; i < 36; ++i) {
                    ASSERT_PRED2(same, four[4 * i + b], one[i]) << blockType << "/" << trial << "/" << b << "/" << i;
                }
            }
        }
    }
}

TEST(Imdct, ShortBlocksAddThreeWindowedTransforms)
{
    std::mt19937 random(8);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int trial = 0; trial < 20; ++trial) {
        float in[18];
        for (float& x : in) {
            x = value(random);
        }
        double expected[36] = {};
        for (int w = 0; w < 3; ++w) {
            double x[6];
            for (int k = 0; k < 6; ++k) {
                x[k] = in[w + 3 * k];
            }
            for (int i = 0; i < 12; ++i) {
                expected[6 + 6 * w + i] += DirectImdct(x, 12, i) * std::sin(Pi / 12 * (i + 0.5));
            }
        }
        float out[36];
        InverseMdct(in, out, 2);
        for (int i = 0; i < 36; ++i) {
            ASSERT_NEAR(out[i], expected[i], 1e-5) << i;
        }
        for (int i : {0, 5, 30, 35}) {
            EXPECT_EQ(out[i], 0.0f);
        }
    }
}

TEST(Imdct, StartAndStopWindowsHaveTheirFlatAndZeroParts)
{
    const float* start = ImdctWindow(1);
    const float* stop = ImdctWindow(3);
    for (int i = 18; i < 24; ++i) {
        EXPECT_EQ(start[i], 1.0f);
    }
    for (int i = 30; i < 36; ++i) {
        EXPECT_EQ(start[i], 0.0f);
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(stop[i], 0.0f);
    }
    for (int i = 12; i < 18; ++i) {
        EXPECT_EQ(stop[i], 1.0f);
    }
    EXPECT_EQ(start[5], ImdctWindow(0)[5]);
    EXPECT_EQ(stop[30], ImdctWindow(0)[30]);
    EXPECT_FLOAT_EQ(start[24], static_cast<float>(std::sin(Pi / 12 * 6.5)));  // falling half of the short window
    EXPECT_FLOAT_EQ(ImdctShortWindow()[11], static_cast<float>(std::sin(Pi / 12 * 11.5)));
}
