#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "mpeg/layer3/MpegImdct.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// The transform exactly as the standard writes it.
double DirectImdct(const double* X, int n, int i)
{
    double Sum = 0.0;
    for (int k = 0; k < n / 2; ++k)
        Sum += X[k] * std::cos(Pi / (2 * n) * (2 * i + 1 + n / 2.0) * (2 * k + 1));
    return Sum;
}

}  // namespace

TEST(Imdct, LongBlocksEqualTheFormulaTimesTheirWindow)
{
    std::mt19937 Random(7);
    std::uniform_real_distribution<float> Value(-1.0f, 1.0f);
    for (int BlockType : {0, 1, 3}) {
        for (int Trial = 0; Trial < 20; ++Trial) {
            float In[18];
            double Exact[18];
            for (int k = 0; k < 18; ++k)
                Exact[k] = In[k] = Value(Random);
            float Out[36];
            InverseMdct(In, Out, BlockType);
            for (int i = 0; i < 36; ++i)
                ASSERT_NEAR(Out[i], DirectImdct(Exact, 36, i) * ImdctWindow(BlockType)[i], 2e-5) << BlockType << " " << i;
        }
    }
}

TEST(Imdct, ShortBlocksAddThreeWindowedTransforms)
{
    std::mt19937 Random(8);
    std::uniform_real_distribution<float> Value(-1.0f, 1.0f);
    for (int Trial = 0; Trial < 20; ++Trial) {
        float In[18];
        for (float& x : In)
            x = Value(Random);
        double Expected[36] = {};
        for (int w = 0; w < 3; ++w) {
            double X[6];
            for (int k = 0; k < 6; ++k)
                X[k] = In[w + 3 * k];
            for (int i = 0; i < 12; ++i)
                Expected[6 + 6 * w + i] += DirectImdct(X, 12, i) * std::sin(Pi / 12 * (i + 0.5));
        }
        float Out[36];
        InverseMdct(In, Out, 2);
        for (int i = 0; i < 36; ++i)
            ASSERT_NEAR(Out[i], Expected[i], 1e-5) << i;
        for (int i : {0, 5, 30, 35})
            EXPECT_EQ(Out[i], 0.0f);
    }
}

TEST(Imdct, StartAndStopWindowsHaveTheirFlatAndZeroParts)
{
    const float* Start = ImdctWindow(1);
    const float* Stop = ImdctWindow(3);
    for (int i = 18; i < 24; ++i)
        EXPECT_EQ(Start[i], 1.0f);
    for (int i = 30; i < 36; ++i)
        EXPECT_EQ(Start[i], 0.0f);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Stop[i], 0.0f);
    for (int i = 12; i < 18; ++i)
        EXPECT_EQ(Stop[i], 1.0f);
    EXPECT_EQ(Start[5], ImdctWindow(0)[5]);
    EXPECT_EQ(Stop[30], ImdctWindow(0)[30]);
    EXPECT_FLOAT_EQ(Start[24], static_cast<float>(std::sin(Pi / 12 * 6.5)));  // falling half of the short window
    EXPECT_FLOAT_EQ(ImdctShortWindow()[11], static_cast<float>(std::sin(Pi / 12 * 11.5)));
}
