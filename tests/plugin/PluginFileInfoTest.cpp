// Which names the plug-in claims, and the title and length it reports for
// the current song and for other files.

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginFileInfo = TPluginTest;

// A song of Rows rows at the initial tempo ends on the tick that reads its
// last row: 4 x Rows - 3 ticks of 2940 bytes.
int SteadyLengthMs(int Rows)
{
    return static_cast<int>(std::lround((4 * Rows - 3) * 2940 / BytesPerMs));
}

TEST_F(TPluginFileInfo, NamesWithDotDmfAnywhereAreOurs)
{
    for (const char* name : {"song.dmf", "C:\\Music\\SONG.DMF", "song.DmF", "song.dmf.bak", "song.dmfx",
                             "/music/a.dmf/b.mod", "\xC4\xD6.dmf", ".dmf"})
        EXPECT_EQ(Module->IsOurFile(name), 1) << name;
    for (const char* name : {"song.dm", "dmf", "songdmf", "song.mod", "", "song.d.mf", "song.dmg"})
        EXPECT_EQ(Module->IsOurFile(name), 0) << name;
}

TEST_F(TPluginFileInfo, EmptyNameBeforeAnyPlayIsTheEmptySong)
{
    int length = -1;
    EXPECT_EQ(FileTitle("", &length), " - ");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(FileTitle(nullptr, &length), " - ");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(Module->GetLength(), 0);
}

TEST_F(TPluginFileInfo, CurrentSongByEmptyNameOrByItsPathGivesTheSameTitleAndLength)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(30, "Current Song", "Its Composer"));
    PlayToEnd(song);
    int byEmpty = -1;
    int byPath = -1;
    EXPECT_EQ(FileTitle("", &byEmpty), "Current Song - Its Composer");
    EXPECT_EQ(FileTitle(song.c_str(), &byPath), "Current Song - Its Composer");
    EXPECT_EQ(byEmpty, SteadyLengthMs(30));
    EXPECT_EQ(byPath, byEmpty);
    EXPECT_EQ(Module->GetLength(), byEmpty);
}

TEST_F(TPluginFileInfo, OtherFilesAreReadWithoutDisturbingTheCurrentSong)
{
    const std::string current = WriteSongFile("current.dmf", SteadySong(12, "Current", "A"));
    const std::string other = WriteSongFile("other.dmf", SteadySong(21, "Other", "B"));
    PlayToEnd(current);
    int length = -1;
    EXPECT_EQ(FileTitle(other.c_str(), &length), "Other - B");
    EXPECT_EQ(length, SteadyLengthMs(21));
    EXPECT_EQ(FileTitle("", &length), "Current - A");
    EXPECT_EQ(length, SteadyLengthMs(12));
    // The bundled song, against its own information load.
    TDmf example;
    example.LoadInfoFromFile(ExampleSong);
    EXPECT_EQ(FileTitle(ExampleSong.c_str(), &length), example.SongName + " - " + example.Composer);
    EXPECT_EQ(length, example.LengthMs);
}

// No such file, a folder, a file that cannot be read: length 0, the host's
// title as it was.
TEST_F(TPluginFileInfo, NamesThatAreNoReadableFileGiveZeroAndLeaveTheTitle)
{
    const std::string folder = TempPath("folder.dmf");
    std::filesystem::create_directories(folder);
    std::vector<std::string> names = {TempPath("missing.dmf"), folder};
    const std::string locked = WriteSongFile("locked.dmf", SteadySong(6));
    ::chmod(locked.c_str(), 0);
    // Permissions do not stop root from reading.
    if (::geteuid() != 0)
        names.push_back(locked);
    for (const std::string& name : names) {
        int length = -1;
        EXPECT_EQ(FileTitle(name.c_str(), &length), "untouched") << name;
        EXPECT_EQ(length, 0) << name;
    }
    ::chmod(locked.c_str(), 0600);
}

// The longest title a file can hold: 30 characters, " - ", 20 characters.
TEST_F(TPluginFileInfo, TitleCopyStopsAfterFiftyThreeCharactersAndItsNul)
{
    const std::string name(30, 'N');
    const std::string composer(20, 'C');
    const std::string song = WriteSongFile("long.dmf", SteadySong(6, name, composer));
    PlayToEnd(song);
    for (const char* file : {"", song.c_str()}) {
        char title[128];
        std::memset(title, '~', sizeof title);
        int length = -1;
        Module->GetFileInfo(file, title, &length);
        EXPECT_EQ(std::string(title), name + " - " + composer) << file;
        for (size_t i = 54; i < sizeof title; ++i)
            ASSERT_EQ(title[i], '~') << "byte " << i << " after the title was written, for '" << file << "'";
    }
}

}  // namespace
