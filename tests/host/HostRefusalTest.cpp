// Files that are not playable modules: every command refuses them with the
// same line naming the file and the reason, and goes on with the others.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "host/HostFileCheck.h"
#include "host/HostInfo.h"
#include "host/HostRender.h"
#include "host/HostText.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

struct TBadFile {
    std::string Path;
    std::string Reason;  // a part of the reason given
};

class THostRefusal : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = fs::path(::testing::TempDir()) / "morvel-refusal";
        fs::remove_all(Root);
        fs::create_directories(Root / "out");
        fs::create_directories(Root / "folder.dmf");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(Root / "locked.dmf", fs::perms::owner_all, ignored);
        fs::remove_all(Root);
    }

    std::string Write(const std::string& Name, const std::vector<uint8_t>& Bytes)
    {
        const std::string path = (Root / Name).string();
        WriteFileBytes(path, Bytes);
        return path;
    }

    // Files of every kind the commands refuse, with the words of their reasons.
    std::vector<TBadFile> BadFiles()
    {
        const std::vector<uint8_t> song = ReadFileBytes(ExampleSong);
        std::vector<uint8_t> noise(4096);
        std::mt19937 random(17);
        for (uint8_t& byte : noise) {
            byte = static_cast<uint8_t>(random());
        }
        const std::string text = "Just some notes, no music here.\n";
        std::vector<TBadFile> files = {
            {Write("notes.txt", std::vector<uint8_t>(text.begin(), text.end())), "does not begin with a module block"},
            {Write("empty.dmf", {}), "empty"},
            {Write("noise.dmf", noise), "does not begin with a module block"},
            {Write("three.dmf", {'Z', 'Q', 'K'}), "does not begin with a module block"},
            // Cut inside the header, right after it, inside the patterns, one byte before the end block.
            {Write("header-cut.dmf", std::vector<uint8_t>(song.begin(), song.begin() + 30)), "cut short"},
            {Write("after-header.dmf", std::vector<uint8_t>(song.begin(), song.begin() + 66)), "cut short"},
            {Write("middle.dmf", std::vector<uint8_t>(song.begin(), song.begin() + song.size() / 2)), "cut short"},
            {Write("end-cut.dmf", std::vector<uint8_t>(song.begin(), song.end() - 1)), "cut short"},
            {(Root / "folder.dmf").string(), "a folder"},
            {(Root / "missing.dmf").string(), "no such file"},
        };
#ifndef _WIN32
        // Nothing is denied to root.
        if (geteuid() != 0) {
            files.push_back({Write("locked.dmf", song), "permission denied"});
            fs::permissions(Root / "locked.dmf", fs::perms::none);
        }
#endif
        return files;
    }

    fs::path Root;
};

TEST_F(THostRefusal, EveryCommandGivesTheSameLineAndGoesOnWithTheOthers)
{
    for (const TBadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.Path);
        const std::string reason = OpenProblem(bad.Path).empty() ? NotAModuleReason(bad.Path) : OpenProblem(bad.Path);
        EXPECT_NE(reason.find(bad.Reason), std::string::npos) << reason;
        const std::string line = "morvel: " + bad.Path + ": " + reason + "\n";

        const TCommandRun info = RunCommand(&RunInfoCommand, {bad.Path, ExampleSong});
        EXPECT_EQ(info.Status, 1);
        EXPECT_EQ(info.Err, line);
        // The song after it is still shown, and nothing of the refused file.
        EXPECT_EQ(info.Out.rfind("File:     " + ExampleSong + "\n", 0), 0u) << info.Out;

        const TCommandRun json = RunCommand(&RunInfoCommand, {"--json", bad.Path});
        EXPECT_EQ(json.Status, 1);
        EXPECT_EQ(json.Err, line);
        EXPECT_NE(json.Out.find("\"loaded\":false"), std::string::npos) << json.Out;
        EXPECT_NE(json.Out.find("\"length_ms\":null,\"length\":null"), std::string::npos) << json.Out;
        EXPECT_NE(json.Out.find("\"error\":" + JsonString(reason) + "}"), std::string::npos) << json.Out;

        const TCommandRun render = RunCommand(&RunRenderCommand, {bad.Path, "-o", (Root / "out" / "one.wav").string()});
        EXPECT_EQ(render.Status, 1);
        EXPECT_EQ(render.Err, line);
        EXPECT_TRUE(fs::is_empty(Root / "out"));

        // morvel play's check before the plug-in gets the file gives the same reason.
        EXPECT_EQ(ModuleFileProblem(bad.Path), reason);
    }
}

TEST_F(THostRefusal, TheLoadersOwnVerdictDecidesNotTheName)
{
    // A complete module under any name plays; the smallest one is its end block alone.
    const std::string tiny = Write("tiny.txt", {'E', 'N', 'D', 'E'});
    EXPECT_EQ(OpenProblem(tiny), "");
    EXPECT_TRUE(ReadSongInfo(tiny).Loaded);
    EXPECT_EQ(ModuleFileProblem(tiny), "");
    // Bytes after the end block are never read.
    std::vector<uint8_t> song = ReadFileBytes(ExampleSong);
    song.insert(song.end(), {'j', 'u', 'n', 'k'});
    EXPECT_TRUE(ReadSongInfo(Write("trailing.dmf", song)).Loaded);
    // A file of unknown blocks that ends in an end block is a module too, if an empty one.
    EXPECT_TRUE(
        ReadSongInfo(Write("unknown.dmf", {'a', 'b', 'c', 'd', 2, 0, 0, 0, 'x', 'y', 'E', 'N', 'D', 'E'})).Loaded);
}

TEST_F(THostRefusal, RenderOfSeveralFilesSkipsTheRefusedOnes)
{
    const std::string notes = Write("notes.dmf", {'h', 'e', 'l', 'l', 'o'});
    const std::string song = Write("song.dmf", ReadFileBytes(ExampleSong));
    const TCommandRun run = RunCommand(&RunRenderCommand, {notes, song, "--raw", "-o", (Root / "out").string()});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "morvel: " + notes + ": " + NotAModuleReason(notes) + "\n");
    EXPECT_FALSE(fs::exists(Root / "out" / "notes.pcm"));
    EXPECT_TRUE(fs::exists(Root / "out" / "song.pcm"));
}

}  // namespace
