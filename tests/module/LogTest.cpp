// The diagnostic log: number formatting and the log file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

#include "module/LoadLog.h"
#include "module/LoadLogPath.h"
#include "tests/module/LoadFixture.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestFiles.h"

TEST(LogFormat, HexVarWidthFollowsTheValue)
{
    EXPECT_EQ(HexVar(5), "05");
    EXPECT_EQ(HexVar(255), "FF");
    EXPECT_EQ(HexVar(-1), "FF");
    EXPECT_EQ(HexVar(-2147483647 - 1), "00");
    EXPECT_EQ(HexVar(256), "0100");
    EXPECT_EQ(HexVar(65535), "FFFF");
    EXPECT_EQ(HexVar(65536), "00010000");
    EXPECT_EQ(HexVar(2147483647), "7FFFFFFF");
}

TEST(LogFormat, Hex4AndTags)
{
    EXPECT_EQ(Hex4(70000), "1170");
    EXPECT_EQ(Hex4(0), "0000");
    EXPECT_EQ(Hex4(0xABCDEF12u), "EF12");
    const uint8_t tag[4] = {'P', 'A', 'T', 'T'};
    EXPECT_EQ(TagText(tag), "PATT");
    const uint8_t odd[4] = {0, 'a', 0xFF, ' '};
    EXPECT_EQ(TagText(odd), std::string("\0a\xFF ", 4));
}

TEST(LogFile, CreatedByTheFirstEntryAndAppendedToAfter)
{
#ifndef _WIN32
    // Not the log of whoever runs the test.
    TScopedEnvironment environment;
    environment.Set("XDG_STATE_HOME", (::testing::TempDir() + "morvel-log-file").c_str());
#endif
    const std::string path = LogFilePath();
    ASSERT_FALSE(path.empty());
    std::remove(path.c_str());
    SetDebugLogConsole(nullptr);
    DebugLog("first entry");
    DebugLog("Reading Block, type: ENDE");
    SetDebugLogConsole(stdout);

    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << path;
    const std::string log(bytes.begin(), bytes.end());
    const size_t firstEnd = log.find("] first entry\r\n");
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(log[0], '[');
    const std::string second = log.substr(firstEnd + 15);
    EXPECT_EQ(second.front(), '[');
    EXPECT_NE(second.find("] Reading Block, type: ENDE\r\n"), std::string::npos);
    EXPECT_EQ(second.size(), second.find("\r\n") + 2);  // exactly two lines
}

// Loads on several threads at once (playlist, media library, converter):
// every entry reaches the file and the console as one whole line, and none
// is lost. Entries longer than a stdio buffer go out in several writes unless
// the log holds them together.
TEST(LogFile, EntriesFromSeveralThreadsStayWholeLines)
{
#ifndef _WIN32
    TScopedEnvironment environment;
    environment.Set("XDG_STATE_HOME", (::testing::TempDir() + "morvel-log-threads").c_str());
#endif
    const std::string path = LogFilePath();
    ASSERT_FALSE(path.empty());
    std::remove(path.c_str());
    constexpr int Threads = 6;
    constexpr int Entries = 30;
    const auto message = [](int Thread, int Entry) {
        return "thread " + std::to_string(Thread) + " entry " + std::to_string(Entry) + " " +
               std::string(static_cast<size_t>(9000 + 37 * Entry), static_cast<char>('a' + Thread));
    };
    std::map<std::string, int> expected;
    for (int t = 0; t < Threads; ++t) {
        for (int e = 0; e < Entries; ++e) {
            expected[message(t, e)] = 1;
        }
    }
    std::string console;
    {
        TLogCapture capture;
        std::vector<std::thread> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.emplace_back([&, t] {
                for (int e = 0; e < Entries; ++e) {
                    DebugLog(message(t, e));
                }
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        console = capture.Text();
    }

    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    const std::string file(bytes.begin(), bytes.end());
    std::map<std::string, int> inFile;
    for (size_t at = 0; at < file.size();) {
        const size_t end = file.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << "the file ends inside an entry";
        const std::string line = file.substr(at, end - at);
        const size_t stamp = line.find("] ");
        ASSERT_TRUE(line[0] == '[' && stamp != std::string::npos) << line.substr(0, 60);
        ++inFile[line.substr(stamp + 2)];
        at = end + 2;
    }
    EXPECT_TRUE(inFile == expected) << inFile.size() << " different lines in the file for " << expected.size()
                                    << " entries";

    std::map<std::string, int> onConsole;
    for (size_t at = 0; at < console.size();) {
        const size_t end = console.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "the console ends inside an entry";
        ++onConsole[console.substr(at, end - at)];
        at = end + 1;
    }
    EXPECT_TRUE(onConsole == expected) << onConsole.size() << " different lines on the console for " << expected.size()
                                       << " entries";
}

#ifndef _WIN32

namespace {

// The log's text after one entry written with the environment as it is now.
std::string LogOneEntry()
{
    SetDebugLogConsole(nullptr);
    DebugLog("placed entry");
    SetDebugLogConsole(stdout);
    const std::vector<uint8_t> bytes = ReadFileBytes(LogFilePath());
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(LogFile, GoesToTheStateFolderMadeForItAndNeverToTheCurrentFolder)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(::testing::TempDir()) / "morvel-log-place";
    fs::remove_all(root);
    fs::create_directories(root / "work");
    const fs::path before = fs::current_path();
    fs::current_path(root / "work");
    TScopedEnvironment environment;

    // $XDG_STATE_HOME/morvel/, made with the folders above it.
    environment.Set("XDG_STATE_HOME", (root / "state" / "deep").c_str());
    EXPECT_EQ(LogFilePath(), (root / "state" / "deep" / "morvel" / LogFileName).string());
    EXPECT_NE(LogOneEntry().find("] placed entry\r\n"), std::string::npos);
    EXPECT_EQ(fs::status(root / "state" / "deep" / "morvel").permissions() & fs::perms::all, fs::perms::owner_all);

    // Without it (or with a relative one, which does not count): ~/.local/state/morvel/.
    environment.Set("HOME", (root / "home").c_str());
    for (const char* state : {static_cast<const char*>(nullptr), "", "relative/state"}) {
        environment.Set("XDG_STATE_HOME", state);
        EXPECT_EQ(LogFilePath(), (root / "home" / ".local" / "state" / "morvel" / LogFileName).string());
    }
    EXPECT_NE(LogOneEntry().find("] placed entry\r\n"), std::string::npos);

    // Neither usable: no file anywhere, the load goes on.
    environment.Set("HOME", nullptr);
    environment.Set("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(LogFilePath(), "");
    LogOneEntry();
    // A state folder that cannot be made (a file is in its way): the entry is lost.
    WriteFileBytes((root / "blocked").string(), {'x'});
    environment.Set("XDG_STATE_HOME", (root / "blocked").c_str());
    LogOneEntry();
    EXPECT_FALSE(fs::exists(root / "work" / LogFileName));
    EXPECT_TRUE(fs::is_empty(root / "work"));

    fs::current_path(before);
    fs::remove_all(root);
}

#endif  // _WIN32
