// Layer I and II streams decoded through the front end against mpg123's decoding
// of the same streams (tests/data/mpeg; make_fixtures.py regenerates them).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "MpegTestFrames.h"

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
    TComparison Result;
    double Squares = 0.0;
    for (size_t I = 0; I < Reference.size(); ++I) {
        const int Difference = std::abs(int(Decoded[I]) - int(Reference[I]));
        Squares += double(Difference) * Difference;
        if (Reference[I] > -32768 && Reference[I] < 32767) Result.MaxDifference = std::max(Result.MaxDifference, Difference);
    }
    const double Mean = Squares / double(std::max<size_t>(Reference.size(), 1));
    Result.Psnr = Mean > 0.0 ? 10.0 * std::log10(32768.0 * 32768.0 / Mean) : 999.0;
    return Result;
}

}  // namespace

TEST(MpegAccuracy, LayerOneAndTwoMatchTheReferenceDecoder)
{
    const std::filesystem::path Folder = std::filesystem::path(MORVEL_TEST_DATA) / "mpeg";
    int Streams = 0;
    double WorstPsnr = 999.0;
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
        const std::string Extension = Entry.path().extension().string();
        if (Extension == ".mp1" || Extension == ".mp2") Names.push_back(Entry.path().filename().string());
    }
    std::sort(Names.begin(), Names.end());
    for (const std::string& Name : Names) {
        ++Streams;
        const std::vector<int16_t> Decoded = ToSamples(DecodeAll(ReadFixture(Name)));
        const std::vector<int16_t> Reference = ReadPcm(Name + ".ref.raw");
        ASSERT_FALSE(Reference.empty()) << Name;
        ASSERT_EQ(Decoded.size(), Reference.size()) << Name;
        const TComparison Result = Compare(Decoded, Reference);
        std::printf("  %-36s PSNR %6.1f dB, max difference %d\n", Name.c_str(), Result.Psnr, Result.MaxDifference);
        EXPECT_GE(Result.Psnr, MinimumPsnr) << Name;
        EXPECT_LE(Result.MaxDifference, MaximumDifference) << Name;
        WorstPsnr = std::min(WorstPsnr, Result.Psnr);
    }
    EXPECT_GE(Streams, 15);
    RecordProperty("WorstPsnr", std::to_string(WorstPsnr));
}
