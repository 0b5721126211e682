// What the Windows plug-in meets in a real host besides good files: a file
// other programs are reading.

#include "tests/wahost/WahostFixture.h"

namespace {

using TWahostFault = TWahostTest;

// An indexer, a virus scanner or another player reading the file: the
// plug-in reads it too, for the playlist and to play it.
TEST_F(TWahostFault, FileOtherProgramsAreReadingPlaysAndGivesItsTitle)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(6, "Read", "Shared"));
    THeldFile reader(song, THeldFile::ReadShared);
    ASSERT_TRUE(reader.Held());
    int length = -1;
    EXPECT_EQ(FileTitle(song.c_str(), &length), "Read - Shared");
    EXPECT_GT(length, 0);
    PlayToEnd(song);
    EXPECT_EQ(FileTitle(""), "Read - Shared");
}

}  // namespace
