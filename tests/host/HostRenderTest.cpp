// morvel render: WAV and raw output of the example song, and its failures.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "host/HostRender.h"
#include "host/HostWav.h"
#include "module/LoadLog.h"

namespace {

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

std::vector<uint8_t> ReadFile(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int RunRender(const std::vector<std::string>& Args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    SetDebugLogConsole(nullptr);
    const int status = RunRenderCommand(Args, out, err);
    SetDebugLogConsole(stdout);
    std::fclose(out);
    std::fclose(err);
    return status;
}

TEST(HostRender, WavHeaderDescribes44100HzSixteenBitStereo)
{
    const auto header = WavHeader(1000);
    const uint8_t expected[WavHeaderBytes] = {'R', 'I', 'F', 'F', 0x0C, 0x04, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                              16, 0, 0, 0, 1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 0x02, 0,
                                              4, 0, 16, 0, 'd', 'a', 't', 'a', 0xE8, 0x03, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), std::vector<uint8_t>(expected, expected + 44));
}

TEST(HostRender, WritesTheWholeSongAsWavOrRawPcm)
{
    const std::string wav = ::testing::TempDir() + "render.wav";
    const std::string raw = ::testing::TempDir() + "render.pcm";
    ASSERT_EQ(RunRender({ExampleSong, "-o", wav}), 0);
    ASSERT_EQ(RunRender({ExampleSong, "--raw", "-o", raw}), 0);
    const std::vector<uint8_t> wavBytes = ReadFile(wav);
    const std::vector<uint8_t> rawBytes = ReadFile(raw);
    // The example song lasts 52177 ms: 2301005 whole frames.
    ASSERT_EQ(rawBytes.size(), 2301005u * 4);
    ASSERT_EQ(wavBytes.size(), rawBytes.size() + WavHeaderBytes);
    const auto header = WavHeader(static_cast<uint32_t>(rawBytes.size()));
    EXPECT_TRUE(std::equal(header.begin(), header.end(), wavBytes.begin()));
    EXPECT_TRUE(std::equal(rawBytes.begin(), rawBytes.end(), wavBytes.begin() + WavHeaderBytes));
    std::remove(wav.c_str());
    std::remove(raw.c_str());
}

TEST(HostRender, UsageErrorsAndUnreadableFilesFail)
{
    EXPECT_EQ(RunRender({}), 2);
    EXPECT_EQ(RunRender({ExampleSong, "-o"}), 2);
    EXPECT_EQ(RunRender({ExampleSong, "--loud"}), 2);
    EXPECT_EQ(RunRender({::testing::TempDir() + "no-such-song.dmf"}), 1);
    EXPECT_EQ(RunRender({ExampleSong, "-o", ::testing::TempDir() + "no-such-folder/out.wav"}), 1);
}

}  // namespace
