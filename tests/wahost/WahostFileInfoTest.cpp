// Which names the DLL claims, and the title and length it reports for the
// current song and for other files, Windows paths and sharing included.

#include <cstring>

#include "ExclusiveFile.h"
#include "WahostFixture.h"

namespace {

using TWahostFileInfo = TWahostTest;

// A song of Rows rows at the initial tempo ends on the tick that reads its
// last row: 4 x Rows - 3 ticks of 2940 bytes.
int SteadyLengthMs(int Rows)
{
    return static_cast<int>(std::lround((4 * Rows - 3) * 2940 / BytesPerMs));
}

TEST_F(TWahostFileInfo, NamesWithDotDmfAnywhereAreOurs)
{
    const auto isOurs = [&](const char* Name) { return UiResult([&] { return Module->IsOurFile(Name); }); };
    for (const char* name : {"song.dmf", "C:\\Music\\SONG.DMF", "song.DmF", "song.dmf.bak", "song.dmfx",
                             "\\\\server\\share\\a.dmf\\b.mod", "\xC4\xD6.dmf", ".dmf"})
        EXPECT_EQ(isOurs(name), 1) << name;
    for (const char* name : {"song.dm", "dmf", "songdmf", "song.mod", "", "song.d.mf", "song.dmg"})
        EXPECT_EQ(isOurs(name), 0) << name;
}

TEST_F(TWahostFileInfo, EmptyNameBeforeAnyPlayIsTheEmptySong)
{
    int length = -1;
    EXPECT_EQ(FileTitle("", &length), " - ");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(FileTitle(nullptr, &length), " - ");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(GetLength(), 0);
}

TEST_F(TWahostFileInfo, CurrentSongByEmptyNameOrByItsPathGivesTheSameTitleAndLength)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(30, "Current Song", "Its Composer"));
    PlayToEnd(song);
    int byEmpty = -1;
    int byPath = -1;
    EXPECT_EQ(FileTitle("", &byEmpty), "Current Song - Its Composer");
    EXPECT_EQ(FileTitle(song.c_str(), &byPath), "Current Song - Its Composer");
    EXPECT_EQ(byEmpty, SteadyLengthMs(30));
    EXPECT_EQ(byPath, byEmpty);
    EXPECT_EQ(GetLength(), byEmpty);
}

TEST_F(TWahostFileInfo, OtherFilesAreReadWithoutDisturbingTheCurrentSong)
{
    const std::string current = WriteSongFile("current.dmf", SteadySong(12, "Current", "A"));
    const std::string other = WriteSongFile("other.dmf", SteadySong(21, "Other", "B"));
    PlayToEnd(current);
    int length = -1;
    EXPECT_EQ(FileTitle(other.c_str(), &length), "Other - B");
    EXPECT_EQ(length, SteadyLengthMs(21));
    EXPECT_EQ(FileTitle("", &length), "Current - A");
    EXPECT_EQ(length, SteadyLengthMs(12));
    if (!Options().ExampleSong.empty()) {
        TDmf example;
        example.LoadInfoFromFile(Options().ExampleSong);
        EXPECT_EQ(FileTitle(Options().ExampleSong.c_str(), &length), example.SongName + " - " + example.Composer);
        EXPECT_EQ(length, example.LengthMs);
    }
}

// No such file, a folder, a file another program holds open without
// sharing: length 0, the host's title as it was.
TEST_F(TWahostFileInfo, NamesThatAreNoReadableFileGiveZeroAndLeaveTheTitle)
{
    const std::string folder = TempPath("folder.dmf");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string held = WriteSongFile("held.dmf", SteadySong(6));
    TExclusiveFile hold(held);
    ASSERT_TRUE(hold.Held());
    for (const std::string& name : {TempPath("missing.dmf"), folder, held}) {
        int length = -1;
        EXPECT_EQ(FileTitle(name.c_str(), &length), "untouched") << name;
        EXPECT_EQ(length, 0) << name;
    }
}

// The longest title a file can hold: 30 characters, " - ", 20 characters.
TEST_F(TWahostFileInfo, TitleCopyStopsAfterFiftyThreeCharactersAndItsNul)
{
    const std::string name(30, 'N');
    const std::string composer(20, 'C');
    const std::string song = WriteSongFile("long.dmf", SteadySong(6, name, composer));
    PlayToEnd(song);
    for (const char* file : {"", song.c_str()}) {
        char title[128];
        std::memset(title, '~', sizeof title);
        int length = -1;
        Ui([&] { Module->GetFileInfo(file, title, &length); });
        EXPECT_EQ(std::string(title), name + " - " + composer) << file;
        for (size_t i = 54; i < sizeof title; ++i)
            ASSERT_EQ(title[i], '~') << "byte " << i << " after the title was written, for '" << file << "'";
    }
}

}  // namespace
