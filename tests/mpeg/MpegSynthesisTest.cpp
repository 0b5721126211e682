#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "mpeg/MpegBuffer.h"
#include "mpeg/MpegDct32.h"
#include "mpeg/MpegSynthesisFilter.h"
#include "mpeg/MpegSynthesisWindow.h"

namespace {

int16_t SampleAt(const TBuffer& Buffer, int Index)
{
    return int16_t(Buffer.Data[2 * Index] | Buffer.Data[2 * Index + 1] << 8);
}

// The standard's synthesis written out directly: 64-value matrixing, a 1024-value
// shifting history and the 512-tap window, all in double precision.
class TReferenceSynthesis {
public:
    std::vector<double> Block(const float* Samples)
    {
        for (int I = 1023; I >= 64; --I) V[size_t(I)] = V[size_t(I - 64)];
        for (int I = 0; I < 64; ++I) {
            double Sum = 0.0;
            for (int K = 0; K < 32; ++K) Sum += std::cos((16 + I) * (2 * K + 1) * std::numbers::pi / 64) * Samples[K];
            V[size_t(I)] = Sum;
        }
        std::vector<double> Out(32, 0.0);
        for (int J = 0; J < 32; ++J)
            for (int I = 0; I < 8; ++I) {
                Out[size_t(J)] += V[size_t(128 * I + J)] * SynthesisWindowCoefficient(64 * I + J);
                Out[size_t(J)] += V[size_t(128 * I + 96 + J)] * SynthesisWindowCoefficient(64 * I + 32 + J);
            }
        return Out;
    }

private:
    std::vector<double> V = std::vector<double>(1024, 0.0);  // history, newest block first
};

}  // namespace

TEST(MpegSynthesis, TruncationTowardZeroAndClipping)
{
    EXPECT_EQ(PcmFromSum(1.9), 1);
    EXPECT_EQ(PcmFromSum(-1.9), -1);
    EXPECT_EQ(PcmFromSum(0.99), 0);
    EXPECT_EQ(PcmFromSum(1e300), 1000000000);
    EXPECT_EQ(PcmFromSum(-1e300), -1000000000);
    EXPECT_EQ(PcmFromSum(std::numeric_limits<double>::quiet_NaN()), 0);

    TBuffer Buffer(1);
    for (double Sum : {32767.9, 32768.0, 1e12, -32768.9, -32769.0, -1e12}) Buffer.Append(0, PcmFromSum(Sum));
    const int16_t Expected[] = {32767, 32767, 32767, -32768, -32768, -32768};
    for (int I = 0; I < 6; ++I) EXPECT_EQ(SampleAt(Buffer, I), Expected[I]);
}

TEST(MpegSynthesis, WindowIsTransposedAndScaledOncePerProcess)
{
    TSynthesisFilter First(0, 32768.0f);
    TSynthesisFilter Second(1, 1.0f);
    EXPECT_EQ(First.Window, Second.Window);
    const float* W = First.Window;
    EXPECT_FLOAT_EQ(W[0], 0.0f);
    EXPECT_FLOAT_EQ(W[1], -0.000442505f * 32768);
    EXPECT_FLOAT_EQ(W[2], 0.003250122f * 32768);
    EXPECT_FLOAT_EQ(W[3], -0.007003784f * 32768);
    EXPECT_FLOAT_EQ(W[8], 1.144989014f * 32768);
    for (int J = 0; J < 32; ++J)
        for (int T = 0; T < 16; ++T)
            ASSERT_FLOAT_EQ(W[16 * J + T], float(SynthesisWindowCoefficient(32 * T + J) * 32768));
    Second.Reset();
    EXPECT_FLOAT_EQ(Second.Window[8], 1.144989014f * 32768);
}

TEST(MpegSynthesis, FastTransformMatchesTheDefinition)
{
    std::mt19937 Random(7);
    std::uniform_real_distribution<float> Value(-1.0f, 1.0f);
    for (int Round = 0; Round < 20; ++Round) {
        float In[32], Out[32];
        for (float& X : In) X = Value(Random);
        Dct32(In, Out);
        for (int N = 0; N < 32; ++N) {
            double Sum = 0.0;
            for (int K = 0; K < 32; ++K) Sum += In[K] * std::cos((2 * K + 1) * N * std::numbers::pi / 64);
            ASSERT_NEAR(Out[N], Sum, 2e-5) << N;
        }
    }
}

TEST(MpegSynthesis, FilterMatchesTheStandardSynthesis)
{
    // 40 blocks of random subband samples through every write position; the
    // filter's PCM is the reference sum truncated, give or take one step.
    std::mt19937 Random(11);
    std::uniform_real_distribution<float> Value(-0.05f, 0.05f);
    TSynthesisFilter Filter(0, 32768.0f);
    TReferenceSynthesis Reference;
    TBuffer Buffer(1);
    int Differences = 0;
    for (int Block = 0; Block < 40; ++Block) {
        float Samples[32];
        for (int K = 0; K < 32; ++K) Filter.InputSample(Samples[K] = Value(Random), K);
        Buffer.Clear();
        Filter.CalculatePcmSamples(Buffer);
        ASSERT_EQ(Buffer.BytesWritten, 64);
        const std::vector<double> Expected = Reference.Block(Samples);
        for (int J = 0; J < 32; ++J) {
            const int32_t Want = int32_t(std::clamp(std::trunc(Expected[size_t(J)] * 32768), -32768.0, 32767.0));
            ASSERT_LE(std::abs(SampleAt(Buffer, J) - Want), 1) << Block << "/" << J;
            Differences += SampleAt(Buffer, J) != Want;
        }
        for (float S : Filter.Samples) ASSERT_EQ(S, 0.0f);
    }
    EXPECT_LT(Differences, 40);
}

TEST(MpegSynthesis, ResetForgetsTheHistory)
{
    TSynthesisFilter Filter(0, 32768.0f);
    TBuffer Buffer(1);
    Filter.InputSample(1.0f, 0);
    Filter.CalculatePcmSamples(Buffer);
    Filter.Reset();
    EXPECT_EQ(Filter.WritePos, 15);
    EXPECT_EQ(Filter.ActualV, Filter.V1);
    for (int Block = 0; Block < 16; ++Block) {
        Buffer.Clear();
        Filter.CalculatePcmSamples(Buffer);
        for (int J = 0; J < 32; ++J) ASSERT_EQ(SampleAt(Buffer, J), 0);
    }
}
