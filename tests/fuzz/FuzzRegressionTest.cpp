// Every input under data/fuzz-regressions/HARNESS/ (inputs that once crashed,
// hung or leaked, and damaged seeds) runs through its harness; under the
// sanitizers a fault fails the run, elsewhere a crash or a hang does.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "tests/support/TestFiles.h"

namespace {

const std::filesystem::path RegressionFolder = MORVEL_TEST_DATA "/fuzz-regressions";

std::vector<std::filesystem::path> InputsOf(const std::string& Harness)
{
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(RegressionFolder / Harness)) {
        if (entry.is_regular_file()) {
            inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class TFuzzRegression : public ::testing::TestWithParam<TFuzzHarness> { };

TEST_P(TFuzzRegression, EveryStoredInputRunsThrough)
{
    const TFuzzHarness harness = GetParam();
    const std::vector<std::filesystem::path> inputs = InputsOf(harness.Name);
    EXPECT_FALSE(inputs.empty()) << "no regression inputs for " << harness.Name;
    for (const std::filesystem::path& input : inputs) {
        SCOPED_TRACE(input.string());
        const std::vector<uint8_t> bytes = ReadFileBytes(input.string());
        EXPECT_EQ(harness.Run(bytes.data(), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Harnesses, TFuzzRegression, ::testing::ValuesIn(FuzzHarnesses),
                         [](const ::testing::TestParamInfo<TFuzzHarness>& Info) {
                             return std::string(Info.param.Name);
                         });

// A folder with no harness behind it would be skipped without a word.
TEST(FuzzRegressionFolders, EachNamesAHarness)
{
    const std::vector<std::string> everywhere = {"info", "playback", "mpeg", "unpacker", "plugin", "extended"};
    for (const auto& entry : std::filesystem::directory_iterator(RegressionFolder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(std::find(everywhere.begin(), everywhere.end(), name), everywhere.end()) << name;
    }
}

}  // namespace
