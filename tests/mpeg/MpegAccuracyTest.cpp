// Layer I and II streams decoded through the front end against mpg123's decoding
// of the same streams (tests/data/mpeg; make_fixtures.py regenerates them).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "tests/mpeg/MpegTestFrames.h"

using namespace MpegTest;

namespace {

constexpr double MinimumPsnr = 90.0;  // dB against full scale
constexpr int MaximumDifference = 4;  // LSB, away from clipping

struct TComparison {
    double Psnr = 0.0;      // dB against full scale
    int MaxDifference = 0;  // largest difference where the reference does not clip
};

TComparison Compare(const std::vector<int16_t>& Decoded, const std::vector<int16_t>& Reference)
{
    TComparison result;
    double squares = 0.0;
    for (size_t i = 0; i < Reference.size(); ++i) {
        const int difference = std::abs(static_cast<int>(Decoded[i]) - static_cast<int>(Reference[i]));
        squares += static_cast<double>(difference) * difference;
        if (Reference[i] > -32768 && Reference[i] < 32767) {
            result.MaxDifference = std::max(result.MaxDifference, difference);
        }
    }
    const double mean = squares / static_cast<double>(std::max<size_t>(Reference.size(), 1));
    result.Psnr = mean > 0.0 ? 10.0 * std::log10(32768.0 * 32768.0 / mean) : 999.0;
    return result;
}

}  // namespace

TEST(MpegAccuracy, LayerOneAndTwoMatchTheReferenceDecoder)
{
    const std::filesystem::path folder = std::filesystem::path(MORVEL_TEST_DATA) / "mpeg";
    int streams = 0;
    double worstPsnr = 999.0;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".mp1" || extension == ".mp2") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        ++streams;
        const std::vector<int16_t> decoded = ToSamples(DecodeAll(ReadFixture(name)));
        const std::vector<int16_t> reference = ReadPcm(name + ".ref.raw");
        ASSERT_FALSE(reference.empty()) << name;
        ASSERT_EQ(decoded.size(), reference.size()) << name;
        const TComparison result = Compare(decoded, reference);
        std::printf("  %-36s PSNR %6.1f dB, max difference %d\n", name.c_str(), result.Psnr, result.MaxDifference);
        EXPECT_GE(result.Psnr, MinimumPsnr) << name;
        EXPECT_LE(result.MaxDifference, MaximumDifference) << name;
        worstPsnr = std::min(worstPsnr, result.Psnr);
    }
    EXPECT_GE(streams, 15);
    RecordProperty("WorstPsnr", std::to_string(worstPsnr));
}
