// Settings files as Windows' profile functions read and write them: the
// native reader and writer of this project, and under wine the system's own,
// held to the same figures where both must agree (a file as Winamp writes
// it); what only the native writer promises (comments, blank lines and line
// ends of any kind kept byte for byte, links kept) natively.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/PlatformIniFile.h"

namespace {

namespace fs = std::filesystem;

class PlatformIniFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    void Write(const std::string& Text) const
    {
        std::ofstream file(Path, std::ios::binary | std::ios::trunc);
        file << Text;
    }
    std::string Text() const
    {
        std::ifstream file(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    std::vector<TIniEntry> Read(const std::vector<std::string>& Keys) const
    {
        std::vector<TIniEntry> found{{"left over", "from before"}};
        EXPECT_TRUE(PlatformReadIniEntries(Path, "in_morvel", Keys, found));
        return found;
    }

    const std::string Folder = ::testing::TempDir() + "platform-ini";
    const std::string Path = Folder + "/winamp.ini";
};

TEST_F(PlatformIniFile, TheFirstKeyOfTheSectionInAnyCaseWithoutBlanksOrQuotes)
{
    Write("; settings\r\n"
          "[Winamp]\r\nOutputRate=1\r\n"
          "[In_Morvel]\r\n"
          "  Interpolation =  \"cubic\"  \r\n"
          "; OutputRate=3\r\n"
          "OUTPUTRATE=48000\r\n"
          "OutputRate=96000\r\n"
          "Empty=\r\n"
          "NoValue\r\n"
          "Quoted='a b'\r\n"
          "[out_ds]\r\nStereoSeparation=20\r\n");
    EXPECT_EQ(Read({"OutputRate", "interpolation", "Empty", "NoValue", "StereoSeparation", "Quoted", "Missing"}),
              (std::vector<TIniEntry>{{"OutputRate", "48000"}, {"interpolation", "cubic"}, {"Quoted", "a b"}}));
    // A file without the section holds none of its keys.
    Write("[Winamp]\r\nOutputRate=1\r\n");
    EXPECT_TRUE(Read({"OutputRate"}).empty());
    Write("");
    EXPECT_TRUE(Read({"OutputRate"}).empty());
}

TEST_F(PlatformIniFile, AFileThatCannotBeReadIsSaidSoAndNotWrittenWhereItCannotBe)
{
    std::vector<TIniEntry> found;
    EXPECT_FALSE(PlatformReadIniEntries(Path, "in_morvel", {"OutputRate"}, found));
    EXPECT_FALSE(PlatformReadIniEntries(Folder, "in_morvel", {"OutputRate"}, found));
    EXPECT_FALSE(PlatformReadIniEntries("", "in_morvel", {"OutputRate"}, found));
    EXPECT_FALSE(PlatformWriteIniEntries(Folder + "/no folder/winamp.ini", "in_morvel", {{"OutputRate", "1"}}));
    EXPECT_FALSE(PlatformWriteIniEntries(Folder, "in_morvel", {{"OutputRate", "1"}}));
    EXPECT_TRUE(fs::is_directory(Folder));
}

TEST_F(PlatformIniFile, WhatTheFormatCannotCarryIsNotWritten)
{
    Write("[Winamp]\r\nvolume=200\r\n");
    const std::vector<TIniEntry> bad[] = {
        {{"Key", "two\r\nlines"}}, {{"Key=", "1"}}, {{"", "1"}}, {{"[Key", "1"}}, {{";Key", "1"}}, {{" Key", "1"}},
    };
    for (const std::vector<TIniEntry>& entries : bad) {
        EXPECT_FALSE(PlatformWriteIniEntries(Path, "in_morvel", entries)) << entries[0].Key << "=" << entries[0].Value;
    }
    EXPECT_FALSE(PlatformWriteIniEntries(Path, "in]morvel", {{"Key", "1"}}));
    EXPECT_EQ(Text(), "[Winamp]\r\nvolume=200\r\n");
}

// What Winamp's own file looks like after a plug-in's write, on either body.
TEST_F(PlatformIniFile, AWriteAddsOrReplacesItsKeysAndKeepsTheRestOfWinampsFile)
{
    const std::string winamp = "[Winamp]\r\nutf8=1\r\nskin=Big Bento\r\n[in_mod]\r\nmixrate=44100\r\n";
    Write(winamp);
    ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"Interpolation", "sinc"}, {"OutputRate", "48000"}}));
    EXPECT_EQ(Text(), winamp + "[in_morvel]\r\nInterpolation=sinc\r\nOutputRate=48000\r\n");
    ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"OutputRate", "96000"}, {"ClickRemoval", "1"}}));
    EXPECT_EQ(Text(), winamp + "[in_morvel]\r\nInterpolation=sinc\r\nOutputRate=96000\r\nClickRemoval=1\r\n");
    EXPECT_EQ(Read({"Interpolation", "OutputRate", "ClickRemoval"}),
              (std::vector<TIniEntry>{{"Interpolation", "sinc"}, {"OutputRate", "96000"}, {"ClickRemoval", "1"}}));

    // A section in the middle of the file grows where it is.
    const std::string before = "[Winamp]\r\nutf8=1\r\n[in_morvel]\r\nOutputRate=8000\r\n";
    const std::string after = "[in_mod]\r\nmixrate=44100\r\n";
    Write(before + after);
    ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"StereoSeparation", "0"}}));
    EXPECT_EQ(Text(), before + "StereoSeparation=0\r\n" + after);

    fs::remove(Path);
    ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"OutputRate", "22050"}}));
    EXPECT_EQ(Read({"OutputRate"}), (std::vector<TIniEntry>{{"OutputRate", "22050"}}));
}

#ifndef _WIN32
TEST_F(PlatformIniFile, NativelyEveryOtherByteStaysCommentsBlankLinesAndLineEndsIncluded)
{
    struct TCase {
        std::string Before;
        std::string After;
    };
    const TCase cases[] = {
        // Line feeds alone, comments and blank lines; a key replaced in place
        // (with its blanks), another joining the section after its last line.
        {"; Winamp\n\n[Winamp]\nvolume = 200\n\n[in_morvel]\n; the rate\n  OutputRate = 8000 \nOther=x\n\n\n"
         "[in_mod]\nnch=2",
         "; Winamp\n\n[Winamp]\nvolume = 200\n\n[in_morvel]\n; the rate\nOutputRate=44100\nOther=x\n"
         "ClickRemoval=1\n\n\n[in_mod]\nnch=2"},
        // A last line without its line break; the section comes after it.
        {"[Winamp]\r\nvolume=200", "[Winamp]\r\nvolume=200\r\n[in_morvel]\r\nOutputRate=44100\r\nClickRemoval=1\r\n"},
        // The section last, without a line break.
        {"[in_morvel]\nOther=x", "[in_morvel]\nOther=x\nOutputRate=44100\nClickRemoval=1\n"},
        {"", "[in_morvel]\nOutputRate=44100\nClickRemoval=1\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Before);
        Write(c.Before);
        ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"OutputRate", "44100"}, {"ClickRemoval", "1"}}));
        EXPECT_EQ(Text(), c.After);
    }
}

TEST_F(PlatformIniFile, NativelyALinkStaysALinkAndTheFileKeepsItsPermissions)
{
    const std::string target = Folder + "/real.ini";
    {
        std::ofstream file(target, std::ios::binary);
        file << "[Winamp]\nvolume=200\n";
    }
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, Path);
    ASSERT_TRUE(PlatformWriteIniEntries(Path, "in_morvel", {{"OutputRate", "8000"}}));
    EXPECT_TRUE(fs::is_symlink(Path));
    EXPECT_EQ(Text(), "[Winamp]\nvolume=200\n[in_morvel]\nOutputRate=8000\n");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // No passing file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 2);
}
#endif

}  // namespace
