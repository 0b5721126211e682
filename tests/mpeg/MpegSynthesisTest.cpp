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
    return static_cast<int16_t>(Buffer.Data[2 * Index] | Buffer.Data[2 * Index + 1] << 8);
}

// The standard's synthesis written out directly: 64-value matrixing, a 1024-value
// shifting history and the 512-tap window, all in double precision.
class TReferenceSynthesis {
public:
    std::vector<double> Block(const float* Samples)
    {
        for (int i = 1023; i >= 64; --i) {
            V[static_cast<size_t>(i)] = V[static_cast<size_t>(i - 64)];
        }
        for (int i = 0; i < 64; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 32; ++k) {
                sum += std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64) * Samples[k];
            }
            V[static_cast<size_t>(i)] = sum;
        }
        std::vector<double> out(32, 0.0);
        for (int j = 0; j < 32; ++j) {
            for (int i = 0; i < 8; ++i) {
                out[static_cast<size_t>(j)] +=
                    V[static_cast<size_t>(128 * i + j)] * SynthesisWindowCoefficient(64 * i + j);
                out[static_cast<size_t>(j)] +=
                    V[static_cast<size_t>(128 * i + 96 + j)] * SynthesisWindowCoefficient(64 * i + 32 + j);
            }
        }
        return out;
    }

private:
    std::vector<double> V = std::vector<double>(1024, 0.0);  // history, newest block first
};

// The 32-point transform as the plain recursive even/odd split, one float at a time.
template <int N> void ScalarDct(const float* In, float* Out)
{
    if constexpr (N == 1) {
        Out[0] = In[0];
    } else {
        constexpr int half = N / 2;
        float sums[half], differences[half], even[half], odd[half];
        for (int i = 0; i < half; ++i) {
            const float factor = static_cast<float>(1.0 / (2.0 * std::cos((2 * i + 1) * std::numbers::pi / (2.0 * N))));
            sums[i] = In[i] + In[N - 1 - i];
            differences[i] = (In[i] - In[N - 1 - i]) * factor;
        }
        ScalarDct<half>(sums, even);
        ScalarDct<half>(differences, odd);
        for (int k = 0; k < half; ++k) {
            Out[2 * k] = even[k];
            Out[2 * k + 1] = k + 1 < half ? odd[k] + odd[k + 1] : odd[k];
        }
    }
}

// The filter as plain scalar code: two history halves of 32 rows by 16 columns
// (index 16 * row + column), each window sum in double from tap 0 to tap 15,
// truncated, and the PCM appended one sample at a time.
class TScalarSynthesis {
public:
    explicit TScalarSynthesis(const float* Window) : Window(Window) { }

    void Block(const float* Samples, TBuffer& Buffer)
    {
        float x[32];
        ScalarDct<32>(Samples, x);
        const int c = WritePos;
        float* actual = FirstIsActual ? V1 : V2;
        float* other = FirstIsActual ? V2 : V1;
        for (int row = 0; row < 16; ++row) {
            actual[16 * row + c] = x[16 + row];
        }
        actual[16 * 16 + c] = 0.0f;
        for (int row = 17; row < 32; ++row) {
            actual[16 * row + c] = -x[48 - row];
        }
        other[c] = -x[16];
        for (int row = 1; row <= 16; ++row) {
            other[16 * row + c] = -x[16 - row];
        }
        for (int row = 17; row < 32; ++row) {
            other[16 * row + c] = -x[row - 16];
        }
        for (int j = 0; j < 32; ++j) {
            double sum = 0.0;
            for (int t = 0; t < 16; ++t) {
                sum += static_cast<double>(actual[16 * j + (c - t + 16) % 16]) * Window[16 * j + t];
            }
            Buffer.Append(0, sum != sum ? 0 : static_cast<int32_t>(std::clamp(sum, -1e9, 1e9)));
        }
        WritePos = (c + 1) % 16;
        FirstIsActual = !FirstIsActual;
    }

private:
    const float* Window;        // the process's scaled, transposed window
    float V1[512] = {};         // history half holding V[0..31] of even blocks
    float V2[512] = {};         // the other half
    bool FirstIsActual = true;  // V1 receives the next block's first half
    int WritePos = 15;          // column of the next block
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
    const double sums[] = {1.9,
                           -1.9,
                           0.99,
                           -0.99,
                           0.0,
                           32767.9,
                           32768.0,
                           1e12,
                           -32768.9,
                           -32769.0,
                           -1e12,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(),
                           12345.5,
                           -12345.5};
    const int16_t expected[] = {1,      -1,     0,      0,     0,      32767, 32767, 32767,
                                -32768, -32768, -32768, 32767, -32768, 0,     12345, -12345};
    TSynthesisFilter filter(0, 32768.0f);
    // Tap t of the first block (column 15 of V1) reads column 15 - t of V1.
    for (int j = 0; j < 16; ++j) {
        const double coefficient = filter.Window[32 * 8 + j];
        filter.V1[32 * 7 + j] = static_cast<float>(sums[j] / coefficient);
        // Rounded to float, an in-range value must still truncate to the same integer.
        if (std::abs(sums[j]) < 32767.0) {
            ASSERT_EQ(std::trunc(filter.V1[32 * 7 + j] * coefficient), std::trunc(sums[j])) << j;
        }
    }
    TBuffer buffer(1);
    filter.CalculatePcmSamples(buffer);
    for (int j = 0; j < 16; ++j) {
        EXPECT_EQ(SampleAt(buffer, j), expected[j]) << j;
    }
    for (int j = 16; j < 32; ++j) {
        EXPECT_EQ(SampleAt(buffer, j), 0) << j;
    }
}

TEST(MpegSynthesis, WindowSumsRunFromTapZero)
{
    // Taps 1 and 2 give products that cancel exactly and tap 15 one of about 1.5:
    // summed from tap 0 the small one survives (PCM 1), summed in another order it
    // may vanish into a large partial sum.
    TSynthesisFilter filter(0, 32768.0f);
    const auto coefficient = [&](int J, int T) { return filter.Window[32 * T + J]; };
    for (int j = 0; j < 32; ++j) {
        // The scaled coefficients are whole halves, so these products are exact.
        const double large = 0x1p40;
        filter.V1[32 * 14 + j] = static_cast<float>(2.0 * coefficient(j, 2) * large);
        filter.V1[32 * 13 + j] = static_cast<float>(-2.0 * coefficient(j, 1) * large);
        filter.V1[32 * 0 + j] = static_cast<float>(1.5 / coefficient(j, 15));
    }
    TBuffer buffer(1);
    filter.CalculatePcmSamples(buffer);
    for (int j = 0; j < 32; ++j) {
        EXPECT_EQ(SampleAt(buffer, j), 1) << j;
    }
}

TEST(MpegSynthesis, WindowIsTransposedAndScaledOncePerProcess)
{
    TSynthesisFilter first(0, 32768.0f);
    TSynthesisFilter second(1, 1.0f);
    EXPECT_EQ(first.Window, second.Window);
    // The first filter fixed the scale for the whole process.
    const float* w = ScaledSynthesisWindow(1.0f);
    EXPECT_FLOAT_EQ(w[0], 0.0f);
    EXPECT_FLOAT_EQ(w[1], -0.000442505f * 32768);
    EXPECT_FLOAT_EQ(w[2], 0.003250122f * 32768);
    EXPECT_FLOAT_EQ(w[3], -0.007003784f * 32768);
    EXPECT_FLOAT_EQ(w[8], 1.144989014f * 32768);
    for (int j = 0; j < 32; ++j) {
        for (int t = 0; t < 16; ++t) {
            ASSERT_FLOAT_EQ(w[16 * j + t], static_cast<float>(SynthesisWindowCoefficient(32 * t + j) * 32768));
        }
    }
    second.Reset();
    // The filters' tap-major copy: the same values, aligned for whole-register loads.
    EXPECT_EQ(second.Window, first.Window);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(second.Window) % 16, 0u);
    for (int j = 0; j < 32; ++j) {
        for (int t = 0; t < 16; ++t) {
            ASSERT_EQ(second.Window[32 * t + j], static_cast<double>(w[16 * j + t]));
        }
    }
}

TEST(MpegSynthesis, FastTransformMatchesTheDefinition)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    for (int round = 0; round < 20; ++round) {
        // Four blocks side by side, element k of block b at 4k + b, and so the results.
        alignas(16) float in[32 * 4], out[32 * 4];
        for (float& x : in) {
            x = value(random);
        }
        Dct32Four(in, 4, out);
        for (int b = 0; b < 4; ++b) {
            for (int n = 0; n < 32; ++n) {
                double sum = 0.0;
                for (int k = 0; k < 32; ++k) {
                    sum += in[4 * k + b] * std::cos((2 * k + 1) * n * std::numbers::pi / 64);
                }
                ASSERT_NEAR(out[4 * n + b], sum, 2e-5) << n;
            }
        }
    }
}

TEST(MpegSynthesis, FastTransformIsTheRecursiveSplitBitForBit)
{
    std::mt19937 random(5);
    std::vector<std::vector<float>> inputs;
    for (float scale : {1e-40f, 1e-3f, 1.0f, 3e4f, 1e37f}) {
        std::uniform_real_distribution<float> value(-scale, scale);
        for (int round = 0; round < 50; ++round) {
            std::vector<float> in(32);
            for (float& x : in) {
                x = value(random);
            }
            inputs.push_back(in);
        }
    }
    for (int k = 0; k < 32; ++k) {
        std::vector<float> impulse(32, -0.0f);
        impulse[static_cast<size_t>(k)] = k % 2 ? -1.0f : std::numeric_limits<float>::infinity();
        inputs.push_back(impulse);
    }
    std::bernoulli_distribution negative(0.5);
    for (int round = 0; round < 50; ++round) {
        std::vector<float> zeros(32);
        for (float& x : zeros) {
            x = negative(random) ? -0.0f : 0.0f;
        }
        inputs.push_back(zeros);
    }
    // Four inputs at a time, each in its own lane, read with a stride wider than the
    // four lanes (as the filter reads its blocks); then eight at a time where the
    // processor runs the eight-lane code.
    const TDct32Eight eight = Dct32EightOf(CodePath());
    for (size_t first = 0; eight && first + 8 <= inputs.size(); first += 8) {
        alignas(16) float lanes[32 * 9], fast[32 * 8];
        for (int k = 0; k < 32; ++k) {
            for (int b = 0; b < 9; ++b) {
                lanes[9 * k + b] = b < 8 ? inputs[first + static_cast<size_t>(b)][static_cast<size_t>(k)] : 1e30f;
            }
        }
        eight(lanes, 9, fast);
        for (size_t b = 0; b < 8; ++b) {
            float scalar[32];
            ScalarDct<32>(inputs[first + b].data(), scalar);
            const float* run = fast + (b < 4 ? 0 : 128);
            for (int n = 0; n < 32; ++n) {
                ASSERT_PRED2(SameFloat, run[4 * n + static_cast<int>(b % 4)], scalar[n])
                    << n << " of input " << first + b;
            }
        }
    }
    constexpr int stride = 6;
    for (size_t first = 0; first + 4 <= inputs.size(); first += 4) {
        alignas(16) float lanes[32 * stride], fast[32 * 4];
        for (int k = 0; k < 32; ++k) {
            for (int b = 0; b < stride; ++b) {
                lanes[stride * k + b] = b < 4 ? inputs[first + static_cast<size_t>(b)][static_cast<size_t>(k)] : 1e30f;
            }
        }
        Dct32Four(lanes, stride, fast);
        for (size_t b = 0; b < 4; ++b) {
            float scalar[32];
            ScalarDct<32>(inputs[first + b].data(), scalar);
            for (int n = 0; n < 32; ++n) {
                ASSERT_PRED2(SameFloat, fast[4 * n + static_cast<int>(b)], scalar[n]) << n << " of input " << first + b;
            }
        }
    }
}

TEST(MpegSynthesis, FilterIsTheScalarWindowSumBitForBit)
{
    // Quiet, loud (clipping) and silent blocks through every write position three
    // times, a reset, then a block with an infinity that spoils the sums for 16
    // blocks; the PCM bytes equal the scalar sums'.
    std::mt19937 random(13);
    TSynthesisFilter filter(0, 32768.0f);
    TScalarSynthesis scalar(ScaledSynthesisWindow(filter.ScaleFactor));
    TBuffer fast(1), expected(1);
    auto run = [&](const float* Samples, int Block) {
        for (int k = 0; k < 32; ++k) {
            filter.InputSample(Samples[k], k);
        }
        fast.Clear();
        expected.Clear();
        filter.CalculatePcmSamples(fast);
        scalar.Block(Samples, expected);
        ASSERT_EQ(fast.BytesWritten, 64);
        ASSERT_EQ(std::memcmp(fast.Data, expected.Data, 64), 0) << "block " << Block;
    };
    for (int block = 0; block < 48; ++block) {
        const float scale = block % 3 == 0 ? 0.01f : block % 3 == 1 ? 3.0f : 0.0f;
        std::uniform_real_distribution<float> value(-scale, scale);
        float samples[32];
        for (float& s : samples) {
            s = value(random);
        }
        run(samples, block);
    }
    filter.Reset();
    scalar = TScalarSynthesis(ScaledSynthesisWindow(filter.ScaleFactor));
    for (int block = 0; block < 20; ++block) {
        float samples[32] = {};
        samples[block % 32] = block == 2 ? std::numeric_limits<float>::infinity() : 0.5f;
        run(samples, 100 + block);
    }
}

TEST(MpegSynthesis, WholeBlocksAreTheBlocksOneByOne)
{
    // Runs of 1 to 9 blocks and the 18 of a Layer III granule, laid out subband by
    // subband (some with room for more blocks between subbands), give the PCM of the
    // same blocks handed over one at a time: every remainder of the four-lane
    // transform, every write position.
    std::mt19937 random(19);
    std::uniform_real_distribution<float> value(-0.3f, 0.3f);
    TSynthesisFilter whole(0, 32768.0f), single(0, 32768.0f);
    TBuffer wholePcm(1), singlePcm(1);
    for (int count : {1, 2, 3, 4, 5, 6, 7, 8, 9, 18, 18, 12, 3}) {
        const int stride = count + count % 3;
        std::vector<float> blocks(static_cast<size_t>(32 * stride));
        for (float& sample : blocks) {
            sample = value(random);
        }
        wholePcm.Clear();
        singlePcm.Clear();
        whole.SynthesizeBlocks(blocks.data(), stride, count, wholePcm);
        for (int b = 0; b < count; ++b) {
            for (int k = 0; k < 32; ++k) {
                single.InputSample(blocks[static_cast<size_t>(k * stride + b)], k);
            }
            single.CalculatePcmSamples(singlePcm);
        }
        ASSERT_EQ(wholePcm.BytesWritten, 64 * count);
        ASSERT_EQ(std::memcmp(wholePcm.Data, singlePcm.Data, static_cast<size_t>(64 * count)), 0) << count;
        ASSERT_EQ(whole.WritePos, single.WritePos);
    }
}

TEST(MpegSynthesis, WindowSumsOnEveryPathAreTheScalarSumsBitForBit)
{
    // Histories and blocks of quiet, loud and extreme floats (non-numbers,
    // infinities, the smallest) at every write column: the sums of every path this
    // build and processor have (one at a time, in pairs, in fours) store the
    // block's matrixing in the history as a plain widening does and give the PCM
    // of the scalar sum, tap 0 first, truncated and limited.
    std::mt19937 random(17);
    const double* window = ScaledSynthesisWindowByTap(32768.0f);
    const float extremes[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::denorm_min(),
                              -0.0f,
                              3e38f};
    std::vector<TCodePath> paths;
    for (const TCodePath path : CodePaths) {
        if (CodePathAvailable(path)) {
            paths.push_back(path);
        }
    }
    alignas(64) double actual[32 * 16], other[32 * 16];
    alignas(64) double expectedActual[32 * 16], expectedOther[32 * 16];
    alignas(16) float block[64];
    for (int round = 0; round < 60; ++round) {
        const float scale = round % 3 == 0 ? 1e-4f : round % 3 == 1 ? 0.1f : 4.0f;
        std::uniform_real_distribution<float> value(-scale, scale);
        float history[2][32 * 16];
        for (auto& half : history) {
            for (float& x : half) {
                x = value(random);
            }
        }
        for (float& x : block) {
            x = value(random);
        }
        if (round >= 45) {
            history[0][static_cast<size_t>(random() % 512)] = extremes[round % 6];
            block[static_cast<size_t>(random() % 64)] = extremes[(round + 1) % 6];
        }
        for (int column = 0; column < 16; ++column) {
            for (int i = 0; i < 32 * 16; ++i) {
                expectedActual[i] = history[0][i];
                expectedOther[i] = history[1][i];
            }
            for (int row = 0; row < 32; ++row) {
                expectedActual[32 * column + row] = block[row];
                expectedOther[32 * column + row] = block[32 + row];
            }
            int16_t expected[32];
            for (int j = 0; j < 32; ++j) {
                double sum = 0.0;
                for (int t = 0; t < 16; ++t) {
                    sum += expectedActual[32 * ((column - t + 16) % 16) + j] * window[32 * t + j];
                }
                expected[j] = static_cast<int16_t>(sum != sum ? 0 : std::trunc(std::clamp(sum, -32768.0, 32767.0)));
            }
            for (const TCodePath path : paths) {
                for (int i = 0; i < 32 * 16; ++i) {
                    actual[i] = history[0][i];
                    other[i] = history[1][i];
                }
                int16_t pcm[32];
                WindowSumsOf(path)(block, actual, other, column, window, pcm);
                const char* name = CodePathName(path);
                ASSERT_EQ(std::memcmp(pcm, expected, sizeof pcm), 0)
                    << "round " << round << ", column " << column << ", " << name;
                ASSERT_EQ(std::memcmp(actual, expectedActual, sizeof actual), 0) << round << "/" << column << name;
                ASSERT_EQ(std::memcmp(other, expectedOther, sizeof other), 0) << round << "/" << column << name;
            }
        }
    }
}

TEST(MpegSynthesis, FilterMatchesTheStandardSynthesis)
{
    // 40 blocks of random subband samples through every write position, handed
    // over as the decoders do (a Layer III granule's 18, a Layer I frame's 12,
    // then fewer); the filter's PCM is the reference sum truncated, give or take
    // one step.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(-0.05f, 0.05f);
    TSynthesisFilter filter(0, 32768.0f);
    TReferenceSynthesis reference;
    TBuffer buffer(1);
    int differences = 0;
    for (int count : {18, 12, 7, 3}) {
        std::vector<float> blocks(static_cast<size_t>(32 * count));
        for (float& sample : blocks) {
            sample = value(random);
        }
        buffer.Clear();
        filter.SynthesizeBlocks(blocks.data(), count, count, buffer);
        ASSERT_EQ(buffer.BytesWritten, 64 * count);
        for (int b = 0; b < count; ++b) {
            float samples[32];
            for (int k = 0; k < 32; ++k) {
                samples[k] = blocks[static_cast<size_t>(k * count + b)];
            }
            const std::vector<double> expected = reference.Block(samples);
            for (int j = 0; j < 32; ++j) {
                const int32_t want = static_cast<int32_t>(
                    std::clamp(std::trunc(expected[static_cast<size_t>(j)] * 32768), -32768.0, 32767.0));
                const int32_t got = SampleAt(buffer, 32 * b + j);
                ASSERT_LE(std::abs(got - want), 1) << count << "/" << b << "/" << j;
                differences += got != want;
            }
        }
    }
    EXPECT_LT(differences, 40);
}

TEST(MpegSynthesis, ASubbandNotGivenIsSilentInTheNextBlock)
{
    // One block with subbands 3 and 20 given, then one with subband 5 alone: the
    // second block's subbands 3 and 20 are 0, as in the two blocks handed over
    // whole.
    TSynthesisFilter single(0, 32768.0f), whole(0, 32768.0f);
    TBuffer singlePcm(1), wholePcm(1);
    single.InputSample(0.4f, 3);
    single.InputSample(-0.2f, 20);
    single.CalculatePcmSamples(singlePcm);
    single.InputSample(0.3f, 5);
    single.CalculatePcmSamples(singlePcm);
    float blocks[32 * 2] = {};
    blocks[3 * 2] = 0.4f;
    blocks[20 * 2] = -0.2f;
    blocks[5 * 2 + 1] = 0.3f;
    whole.SynthesizeBlocks(blocks, 2, 2, wholePcm);
    ASSERT_EQ(singlePcm.BytesWritten, 128);
    ASSERT_EQ(wholePcm.BytesWritten, 128);
    EXPECT_EQ(std::memcmp(singlePcm.Data, wholePcm.Data, 128), 0);
}

TEST(MpegSynthesis, ResetForgetsTheHistory)
{
    TSynthesisFilter filter(0, 32768.0f);
    TBuffer buffer(1);
    filter.InputSample(1.0f, 0);
    filter.CalculatePcmSamples(buffer);
    filter.Reset();
    EXPECT_EQ(filter.WritePos, 15);
    EXPECT_EQ(filter.ActualV, filter.V1);
    for (int block = 0; block < 16; ++block) {
        buffer.Clear();
        filter.CalculatePcmSamples(buffer);
        for (int j = 0; j < 32; ++j) {
            ASSERT_EQ(SampleAt(buffer, j), 0);
        }
    }
}
