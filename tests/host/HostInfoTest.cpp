// morvel info: text and JSON output for modules, missing files and non-modules.

#include <gtest/gtest.h>

#include <cstdio>

#include "host/HostInfo.h"
#include "host/HostText.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"

namespace {

std::string TempPath(const std::string& Name)
{
    return ::testing::TempDir() + Name;
}

// Runs the command and returns what it printed; Status receives its exit code.
std::string RunInfo(const std::vector<std::string>& Args, int* Status = nullptr)
{
    const TCommandRun run = RunCommand(&RunInfoCommand, Args);
    if (Status) {
        *Status = run.Status;
    }
    return run.Out;
}

std::vector<uint8_t> TinySong()
{
    TWriterSong song;
    song.Title = "Tiny \"Song\"";
    song.Composer = "M\xFCller";
    song.MessageLines = {"line one", "line two"};
    song.Sequence = {0};
    TWriterPattern pattern(3, 16);
    pattern.GlobalAt(0) = {1, 59};  // 60 ticks per second: 61 ticks from the first row to the end of the last
    song.Patterns.push_back(pattern);
    TWriterSample sample;
    sample.Name = "s";
    sample.Pcm = std::vector<uint8_t>(100, 1);
    song.Samples.push_back(sample);
    return WriteSong(song);
}

}  // namespace

TEST(HostInfo, LengthAndTextFormats)
{
    EXPECT_EQ(FormatLength(0), "0:00.000");
    EXPECT_EQ(FormatLength(61234), "1:01.234");
    EXPECT_EQ(FormatLength(3600000 + 5), "60:00.005");
    EXPECT_EQ(JsonString("a\"b\\c\n\x01\xE9"), "\"a\\\"b\\\\c\\n\\u0001\\u00E9\"");
    EXPECT_EQ(Latin1ToUtf8("M\xFCller"), "M\xC3\xBCller");
    // A module's text never drives the terminal (ESC, and CSI among the C1 controls); a path is the user's UTF-8.
    EXPECT_EQ(TerminalText("a\x1B[2J\x9B"
                           "1m\xFC"),
              "a?[2J?1m\xC3\xBC");
    EXPECT_EQ(TerminalPath("s\xC3\xBC\x1B.dmf"), "s\xC3\xBC?.dmf");
}

TEST(HostInfo, JsonLinePerFileAndFailuresListedToo)
{
    const std::string song = TempPath("morvel_info_song.dmf");
    const std::string junk = TempPath("morvel_info_junk.dmf");
    const std::string missing = TempPath("morvel_info_missing.dmf");
    WriteFileBytes(song, TinySong());
    WriteFileBytes(junk, {'j', 'u', 'n', 'k', 0, 0, 0, 0});
    std::remove(missing.c_str());

    int status = 0;
    const std::string out = RunInfo({"--json", missing, song, junk}, &status);
    EXPECT_EQ(status, 1);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(out.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("\"loaded\":false"), std::string::npos);
    EXPECT_NE(lines[0].find("\"error\":\"no such file\""), std::string::npos);
    EXPECT_EQ(lines[1], "{\"file\":" + JsonString(song) +
                            ",\"loaded\":true,\"songname\":\"Tiny \\\"Song\\\"\",\"composer\":\"M\\u00FCller\","
                            "\"title\":\"Tiny \\\"Song\\\" - M\\u00FCller\",\"length_ms\":1017,\"length\":\"0:01.017\","
                            "\"patterns\":1,\"tracks\":3,\"samples\":1,"
                            "\"message\":[\"line one                                \","
                            "\"line two                                \"],\"error\":null}");
    EXPECT_NE(lines[2].find("\"loaded\":false"), std::string::npos);
    EXPECT_NE(lines[2].find("\"error\":\"not a module"), std::string::npos);
    std::remove(song.c_str());
    std::remove(junk.c_str());
}

TEST(HostInfo, TextOutput)
{
    const std::string song = TempPath("morvel_info_text.dmf");
    WriteFileBytes(song, TinySong());
    int status = 1;
    const std::string out = RunInfo({song}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("Title:    Tiny \"Song\"\n"), std::string::npos);
    EXPECT_NE(out.find("Composer: M\xC3\xBCller\n"), std::string::npos);
    EXPECT_NE(out.find("Length:   0:01.017\n"), std::string::npos);
    EXPECT_NE(out.find("Patterns: 1  Tracks: 3  Samples: 1\n"), std::string::npos);
    EXPECT_NE(out.find("  line one"), std::string::npos);
    std::remove(song.c_str());
    RunInfo({}, &status);
    EXPECT_EQ(status, 2);
}
