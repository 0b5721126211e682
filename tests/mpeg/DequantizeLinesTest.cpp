#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "mpeg/layer3/MpegDequantizeLines.h"
#include "mpeg/layer3/MpegLayer3Tables.h"

TEST(DequantizeLines, EveryWayGivesEachLinesScalarResultBitForBit)
{
    // Values of every size (zeros, ones, the largest a code gives and beyond the
    // table), runs that start and end anywhere, with and without factors, tiny and
    // huge gains: each way gives the scalar sign-on-power times gain (times factor),
    // and leaves the lines outside the run alone.
    std::mt19937 random(31);
    const float* power = Layer3Math().Power43;
    constexpr int largest = TLayer3Math::PowerTableSize - 1;
    std::uniform_int_distribution<int> small(-3, 3), big(-9000, 9000), position(0, 576);
    std::uniform_real_distribution<float> exponent(-40.0f, 20.0f);
    for (int trial = 0; trial < 60; ++trial) {
        std::vector<int16_t> values(576);
        for (int16_t& value : values) {
            value = static_cast<int16_t>(trial % 3 == 0 ? big(random) : small(random));
        }
        values[static_cast<size_t>(random() % 576)] = static_cast<int16_t>(trial % 2 ? -32768 : 32767);
        std::vector<float> factors(576);
        for (float& factor : factors) {
            factor = std::exp2(exponent(random));
        }
        const float gain = std::exp2(exponent(random));
        int first = position(random), stop = position(random);
        if (first > stop) {
            std::swap(first, stop);
        }
        const float* usedFactors = trial % 2 ? factors.data() : nullptr;
        std::vector<float> expected(576, 7.0f);
        for (int line = first; line < stop; ++line) {
            const int value = values[static_cast<size_t>(line)];
            const float magnitude = power[std::min(std::abs(value), largest)];
            float result = (value < 0 ? -magnitude : magnitude) * gain;
            if (usedFactors) {
                result = result * usedFactors[line];
            }
            expected[static_cast<size_t>(line)] = result;
        }
        for (const TCodePath path : CodePaths) {
            if (!CodePathAvailable(path)) {
                continue;
            }
            std::vector<float> out(576, 7.0f);
            DequantizeLinesOf(path)(values.data(), gain, usedFactors, first, stop, out.data());
            ASSERT_EQ(std::memcmp(out.data(), expected.data(), 576 * sizeof(float)), 0)
                << "trial " << trial << ", lines " << first << ".." << stop << " on " << CodePathName(path);
        }
    }
}
