#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegDct32.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "mpeg/synthesis/MpegSynthesisWindow.h"
#include "mpeg/synthesis/MpegWindowSums.h"

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

// The 32-point transform as the plain recursive even/odd split, one float at a time.
template <int N>
void ScalarDct(const float* In, float* Out)
{
    if constexpr (N == 1) {
        Out[0] = In[0];
    } else {
        constexpr int Half = N / 2;
        float Sums[Half], Differences[Half], Even[Half], Odd[Half];
        for (int I = 0; I < Half; ++I) {
            const float Factor = float(1.0 / (2.0 * std::cos((2 * I + 1) * std::numbers::pi / (2.0 * N))));
            Sums[I] = In[I] + In[N - 1 - I];
            Differences[I] = (In[I] - In[N - 1 - I]) * Factor;
        }
        ScalarDct<Half>(Sums, Even);
        ScalarDct<Half>(Differences, Odd);
        for (int K = 0; K < Half; ++K) {
            Out[2 * K] = Even[K];
            Out[2 * K + 1] = K + 1 < Half ? Odd[K] + Odd[K + 1] : Odd[K];
        }
    }
}

// The filter as plain scalar code: two history halves of 32 rows by 16 columns
// (index 16 * row + column), each window sum in double from tap 0 to tap 15,
// truncated, and the PCM appended one sample at a time.
class TScalarSynthesis {
public:
    explicit TScalarSynthesis(const float* Window) : Window(Window) {}

    void Block(const float* Samples, TBuffer& Buffer)
    {
        float X[32];
        Dct32(Samples, X);
        const int C = WritePos;
        float* Actual = FirstIsActual ? V1 : V2;
        float* Other = FirstIsActual ? V2 : V1;
        for (int Row = 0; Row < 16; ++Row) Actual[16 * Row + C] = X[16 + Row];
        Actual[16 * 16 + C] = 0.0f;
        for (int Row = 17; Row < 32; ++Row) Actual[16 * Row + C] = -X[48 - Row];
        Other[C] = -X[16];
        for (int Row = 1; Row <= 16; ++Row) Other[16 * Row + C] = -X[16 - Row];
        for (int Row = 17; Row < 32; ++Row) Other[16 * Row + C] = -X[Row - 16];
        for (int J = 0; J < 32; ++J) {
            double Sum = 0.0;
            for (int T = 0; T < 16; ++T) Sum += double(Actual[16 * J + (C - T + 16) % 16]) * Window[16 * J + T];
            Buffer.Append(0, Sum != Sum ? 0 : int32_t(std::clamp(Sum, -1e9, 1e9)));
        }
        WritePos = (C + 1) % 16;
        FirstIsActual = !FirstIsActual;
    }

private:
    const float* Window;       // the process's scaled, transposed window
    float V1[512] = {};        // history half holding V[0..31] of even blocks
    float V2[512] = {};        // the other half
    bool FirstIsActual = true; // V1 receives the next block's first half
    int WritePos = 15;         // column of the next block
};

// Equal floats, bit for bit (the sign of zero included); any two non-numbers match.
bool SameFloat(float A, float B)
{
    return (A != A && B != B) || std::memcmp(&A, &B, sizeof A) == 0;
}

}  // namespace

TEST(MpegSynthesis, SumsAreTruncatedTowardZeroAndClipped)
{
    // A silent block whose history holds one value per output sample at tap 8 (the
    // window's centre, non-zero for every output): the sums are those values.
    const double Sums[] = {1.9, -1.9, 0.99, -0.99, 0.0, 32767.9, 32768.0, 1e12, -32768.9, -32769.0, -1e12,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 12345.5, -12345.5};
    const int16_t Expected[] = {1, -1, 0, 0, 0, 32767, 32767, 32767, -32768, -32768, -32768,
                                32767, -32768, 0, 12345, -12345};
    TSynthesisFilter Filter(0, 32768.0f);
    // Tap t of the first block (column 15 of V1) reads column 15 - t of V1.
    for (int J = 0; J < 16; ++J) {
        const double Coefficient = Filter.Window[32 * 8 + J];
        Filter.V1[32 * 7 + J] = float(Sums[J] / Coefficient);
        // Rounded to float, an in-range value must still truncate to the same integer.
        if (std::abs(Sums[J]) < 32767.0) {
            ASSERT_EQ(std::trunc(Filter.V1[32 * 7 + J] * Coefficient), std::trunc(Sums[J])) << J;
        }
    }
    TBuffer Buffer(1);
    Filter.CalculatePcmSamples(Buffer);
    for (int J = 0; J < 16; ++J) EXPECT_EQ(SampleAt(Buffer, J), Expected[J]) << J;
    for (int J = 16; J < 32; ++J) EXPECT_EQ(SampleAt(Buffer, J), 0) << J;
}

TEST(MpegSynthesis, WindowSumsRunFromTapZero)
{
    // Taps 1 and 2 give products that cancel exactly and tap 15 one of about 1.5:
    // summed from tap 0 the small one survives (PCM 1), summed in another order it
    // may vanish into a large partial sum.
    TSynthesisFilter Filter(0, 32768.0f);
    const auto Coefficient = [&](int J, int T) { return Filter.Window[32 * T + J]; };
    for (int J = 0; J < 32; ++J) {
        // The scaled coefficients are whole halves, so these products are exact.
        const double Large = 0x1p40;
        Filter.V1[32 * 14 + J] = float(2.0 * Coefficient(J, 2) * Large);
        Filter.V1[32 * 13 + J] = float(-2.0 * Coefficient(J, 1) * Large);
        Filter.V1[32 * 0 + J] = float(1.5 / Coefficient(J, 15));
    }
    TBuffer Buffer(1);
    Filter.CalculatePcmSamples(Buffer);
    for (int J = 0; J < 32; ++J) EXPECT_EQ(SampleAt(Buffer, J), 1) << J;
}

TEST(MpegSynthesis, WindowIsTransposedAndScaledOncePerProcess)
{
    TSynthesisFilter First(0, 32768.0f);
    TSynthesisFilter Second(1, 1.0f);
    EXPECT_EQ(First.Window, Second.Window);
    // The first filter fixed the scale for the whole process.
    const float* W = ScaledSynthesisWindow(1.0f);
    EXPECT_FLOAT_EQ(W[0], 0.0f);
    EXPECT_FLOAT_EQ(W[1], -0.000442505f * 32768);
    EXPECT_FLOAT_EQ(W[2], 0.003250122f * 32768);
    EXPECT_FLOAT_EQ(W[3], -0.007003784f * 32768);
    EXPECT_FLOAT_EQ(W[8], 1.144989014f * 32768);
    for (int J = 0; J < 32; ++J)
        for (int T = 0; T < 16; ++T)
            ASSERT_FLOAT_EQ(W[16 * J + T], float(SynthesisWindowCoefficient(32 * T + J) * 32768));
    Second.Reset();
    // The filters' tap-major copy: the same values, aligned for whole-register loads.
    EXPECT_EQ(Second.Window, First.Window);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(Second.Window) % 16, 0u);
    for (int J = 0; J < 32; ++J)
        for (int T = 0; T < 16; ++T) ASSERT_EQ(Second.Window[32 * T + J], double(W[16 * J + T]));
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

TEST(MpegSynthesis, FastTransformIsTheRecursiveSplitBitForBit)
{
    std::mt19937 Random(5);
    std::vector<std::vector<float>> Inputs;
    for (float Scale : {1e-40f, 1e-3f, 1.0f, 3e4f, 1e37f}) {
        std::uniform_real_distribution<float> Value(-Scale, Scale);
        for (int Round = 0; Round < 50; ++Round) {
            std::vector<float> In(32);
            for (float& X : In) X = Value(Random);
            Inputs.push_back(In);
        }
    }
    for (int K = 0; K < 32; ++K) {
        std::vector<float> Impulse(32, -0.0f);
        Impulse[size_t(K)] = K % 2 ? -1.0f : std::numeric_limits<float>::infinity();
        Inputs.push_back(Impulse);
    }
    std::bernoulli_distribution Negative(0.5);
    for (int Round = 0; Round < 50; ++Round) {
        std::vector<float> Zeros(32);
        for (float& X : Zeros) X = Negative(Random) ? -0.0f : 0.0f;
        Inputs.push_back(Zeros);
    }
    for (const std::vector<float>& In : Inputs) {
        float Fast[32], Scalar[32];
        Dct32(In.data(), Fast);
        ScalarDct<32>(In.data(), Scalar);
        for (int N = 0; N < 32; ++N) ASSERT_PRED2(SameFloat, Fast[N], Scalar[N]) << N << " of input " << In[0];
    }
}

TEST(MpegSynthesis, FilterIsTheScalarWindowSumBitForBit)
{
    // Quiet, loud (clipping) and silent blocks through every write position three
    // times, a reset, then a block with an infinity that spoils the sums for 16
    // blocks; the PCM bytes equal the scalar sums'.
    std::mt19937 Random(13);
    TSynthesisFilter Filter(0, 32768.0f);
    TScalarSynthesis Scalar(ScaledSynthesisWindow(Filter.ScaleFactor));
    TBuffer Fast(1), Expected(1);
    auto Run = [&](const float* Samples, int Block) {
        for (int K = 0; K < 32; ++K) Filter.InputSample(Samples[K], K);
        Fast.Clear();
        Expected.Clear();
        Filter.CalculatePcmSamples(Fast);
        Scalar.Block(Samples, Expected);
        ASSERT_EQ(Fast.BytesWritten, 64);
        ASSERT_EQ(std::memcmp(Fast.Data, Expected.Data, 64), 0) << "block " << Block;
    };
    for (int Block = 0; Block < 48; ++Block) {
        const float Scale = Block % 3 == 0 ? 0.01f : Block % 3 == 1 ? 3.0f : 0.0f;
        std::uniform_real_distribution<float> Value(-Scale, Scale);
        float Samples[32];
        for (float& S : Samples) S = Value(Random);
        Run(Samples, Block);
    }
    Filter.Reset();
    Scalar = TScalarSynthesis(ScaledSynthesisWindow(Filter.ScaleFactor));
    for (int Block = 0; Block < 20; ++Block) {
        float Samples[32] = {};
        Samples[Block % 32] = Block == 2 ? std::numeric_limits<float>::infinity() : 0.5f;
        Run(Samples, 100 + Block);
    }
}

TEST(MpegSynthesis, WindowSumsInPairsAndFoursAreTheScalarSumsBitForBit)
{
    // Histories of quiet, loud and extreme floats (non-numbers, infinities, the
    // smallest) at every write column: both vector ways give the PCM of the scalar
    // sum, tap 0 first, truncated and limited. The fours run where AVX is there.
    std::mt19937 Random(17);
    const double* Window = ScaledSynthesisWindowByTap(32768.0f);
    const float Extremes[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::denorm_min(),
                              -0.0f, 3e38f};
    std::vector<const TWindowSumsByColumn*> Ways = {&WindowSumsInPairs()};
    if (WindowSumsInFours()) Ways.push_back(WindowSumsInFours());
    alignas(32) double V[32 * 16];
    for (int Round = 0; Round < 60; ++Round) {
        const float Scale = Round % 3 == 0 ? 1e-4f : Round % 3 == 1 ? 0.1f : 4.0f;
        std::uniform_real_distribution<float> Value(-Scale, Scale);
        for (double& X : V) X = Value(Random);
        if (Round >= 45) V[size_t(Random() % 512)] = Extremes[Round % 6];
        for (int Column = 0; Column < 16; ++Column) {
            int16_t Expected[32];
            for (int J = 0; J < 32; ++J) {
                double Sum = 0.0;
                for (int T = 0; T < 16; ++T) Sum += V[32 * ((Column - T + 16) % 16) + J] * Window[32 * T + J];
                Expected[J] = int16_t(Sum != Sum ? 0 : std::trunc(std::clamp(Sum, -32768.0, 32767.0)));
            }
            for (const TWindowSumsByColumn* Way : Ways) {
                int16_t Pcm[32];
                (*Way)[size_t(Column)](V, Window, Pcm);
                ASSERT_EQ(std::memcmp(Pcm, Expected, sizeof Pcm), 0)
                    << "round " << Round << ", column " << Column << ", " << (Way == Ways[0] ? "pairs" : "fours");
            }
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
