// morvel render: WAV and raw output of the example song, and its failures
// (every other format: HostRenderFormatsTestNative.cpp).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/HostInfo.h"
#include "host/HostProgress.h"
#include "host/HostRender.h"
#include "host/HostSoundFile.h"
#include "player/DmfOutputFormat.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";
constexpr size_t ExampleSongPlayedFrames = 2300991;
// The WAV file's header: the canonical one, before the PCM.
constexpr size_t WavHeaderBytes = 44;

int RunRender(const std::vector<std::string>& Args)
{
    return RunCommand(&RunRenderCommand, Args).Status;
}

TEST(HostRender, WritesTheWholeSongAsRawPcm)
{
    const std::string raw = ::testing::TempDir() + "render.pcm";
    ASSERT_EQ(RunRender({ExampleSong, "--raw", "-o", raw}), 0);
    const std::vector<uint8_t> rawBytes = ReadFileBytes(raw);
    // What a player hands out for the example song: its whole length, every
    // tick up to the one that ends it, 2300991 frames: 52177 ms.
    ASSERT_EQ(rawBytes.size(), ExampleSongPlayedFrames * OutputBytesPerFrame);
    EXPECT_EQ(std::lround(rawBytes.size() / OutputBytesPerMs), 52177);
    std::remove(raw.c_str());
}

// Every stored song that loads, rendered whole: its PCM lasts the length
// morvel info reports for it, to the frame (the length is whole milliseconds).
TEST(HostRender, EverySongRendersTheLengthInfoReports)
{
    std::vector<std::string> songs = {ExampleSong};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(MORVEL_TEST_DATA)) {
        if (entry.path().extension() == ".dmf") {
            songs.push_back(entry.path().string());
        }
    }
    int rendered = 0;
    for (const std::string& song : songs) {
        SCOPED_TRACE(song);
        const TCommandRun info = RunCommand(&RunInfoCommand, {"--json", song});
        const size_t at = info.Out.find("\"length_ms\":");
        ASSERT_NE(at, std::string::npos);
        if (info.Out.compare(at + 12, 4, "null") == 0) {
            continue;  // not a module: render refuses it as well
        }
        const double lengthMs = std::stod(info.Out.substr(at + 12));
        const std::string raw = ::testing::TempDir() + "length.pcm";
        ASSERT_EQ(RunRender({song, "--raw", "--force", "-o", raw}), 0);
        const double renderedMs = static_cast<double>(std::filesystem::file_size(raw)) / OutputBytesPerMs;
        EXPECT_LE(std::abs(renderedMs - lengthMs), 0.5) << renderedMs << " ms rendered, " << lengthMs << " ms reported";
        std::remove(raw.c_str());
        ++rendered;
    }
    EXPECT_GE(rendered, 6);
}

TEST(HostRender, UsageErrorsAndUnreadableFilesFail)
{
    EXPECT_EQ(RunRender({}), 2);
    EXPECT_EQ(RunRender({ExampleSong, "-o"}), 2);
    EXPECT_EQ(RunRender({ExampleSong, "--loud"}), 2);
    EXPECT_EQ(RunRender({::testing::TempDir() + "no-such-song.dmf"}), 1);
    EXPECT_EQ(RunRender({ExampleSong, "-o", ::testing::TempDir() + "no-such-folder/out.wav"}), 1);
    // Several files: not all to standard output, and never two to the same output file.
    EXPECT_EQ(RunRender({ExampleSong, ExampleSong, "-o", "-"}), 2);
    EXPECT_EQ(RunRender({ExampleSong, ::testing::TempDir() + "morvel-demo.dmf", "-o", ::testing::TempDir()}), 2);
    EXPECT_EQ(RunRender({ExampleSong, ExampleSong, "-o", ""}), 2);
}

TEST(HostRender, SeveralFilesGoToOneFolderMadeWhenMissingAndAFailureDoesNotStopTheRest)
{
    if (!SoundFilesAvailable()) {
        GTEST_SKIP() << "this build has no encoder library: it writes raw PCM only";
    }
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "render-many";
    fs::remove_all(root);
    fs::create_directories(root / "in");
    const std::vector<uint8_t> song = ReadFileBytes(ExampleSong);
    WriteFileBytes((root / "in" / "first.dmf").string(), song);
    WriteFileBytes((root / "in" / "second.song.dmf").string(), song);
    WriteFileBytes((root / "in" / "broken.dmf").string(), std::vector<uint8_t>(song.begin(), song.begin() + 100));

    const fs::path out = root / "out" / "wav";
    EXPECT_EQ(RunRender({(root / "in" / "first.dmf").string(), (root / "in" / "broken.dmf").string(),
                         (root / "in" / "second.song.dmf").string(), "-o", out.string()}),
              1);
    const std::vector<uint8_t> expected = ReadFileBytes((out / "first.wav").string());
    EXPECT_EQ(expected.size(), ExampleSongPlayedFrames * 4 + WavHeaderBytes);
    EXPECT_EQ(ReadFileBytes((out / "second.song.wav").string()), expected);
    EXPECT_FALSE(fs::exists(out / "broken.wav"));

    // Raw PCM is named .pcm; one file with -o naming a folder goes into it.
    ASSERT_EQ(RunRender({(root / "in" / "first.dmf").string(), "--raw", "-o", root.string()}), 0);
    const std::vector<uint8_t> raw = ReadFileBytes((root / "first.pcm").string());
    ASSERT_EQ(raw.size() + WavHeaderBytes, expected.size());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), expected.begin() + WavHeaderBytes));
    fs::remove_all(root);
}

TEST(HostRender, ProgressLineFitsTheTerminalAndKeepsTheEndOfALongName)
{
    const std::string name = "a-rather-long-module-name-from-a-collection-of-many-songs.dmf";
    for (int columns = 20; columns <= 200; ++columns) {
        const std::string single = ProgressText(0, 1, name, 0.5, columns);
        const std::string many = ProgressText(2, 7, name, 0.5, columns);
        ASSERT_LE(single.size(), static_cast<size_t>(std::max(columns - 1, 35))) << columns;
        ASSERT_LE(many.size(), static_cast<size_t>(std::max(columns - 1, 68))) << columns;
        if (columns >= 131) {
            EXPECT_NE(many.find(name), std::string::npos);
        }
    }
    EXPECT_EQ(ProgressText(2, 7, "song.dmf", 0.5, 80),
              "[3/7] song.dmf  [##########----------]  50%  all [#######-------------]  35%");
    const std::string cut = ProgressText(0, 2, name, 1.0, 90);
    EXPECT_EQ(cut.size(), 89u);
    EXPECT_EQ(cut.rfind("[1/2] ...", 0), 0u) << cut;
    EXPECT_NE(cut.find("-songs.dmf  ["), std::string::npos) << cut;
}

}  // namespace
