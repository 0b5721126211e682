// The song information window: shown for the current song only, refilled on
// each request, brought forward when already visible.

#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginInfoBox = TPluginTest;

// A message line as the file stores it: cut or padded to 40 columns.
std::string Column40(const std::string& Line)
{
    std::string line = Line.substr(0, 40);
    line.resize(40, ' ');
    return line;
}

TEST_F(TPluginInfoBox, EmptyNameBeforeAnyPlayShowsTheEmptySong)
{
    const HWND parent = reinterpret_cast<HWND>(0x77);
    EXPECT_EQ(Module->InfoBox("", parent), 0);
    const TRecordedInfoWindow window = SongInfoWindowRecordSnapshot();
    EXPECT_TRUE(window.Visible);
    EXPECT_EQ(window.ShowCount, 1);
    EXPECT_EQ(window.Title, " - ");
    EXPECT_TRUE(window.Lines.empty());
    EXPECT_EQ(window.Created, 1) << "the window made at Init serves every request";
}

TEST_F(TPluginInfoBox, CurrentSongIsShownThenRefilledAndBroughtForward)
{
    TWriterSong message = SteadySong(6, "With Message", "Writer");
    message.MessageLines = {"First line", "", "A line that runs on far beyond the forty columns of a line", ""};
    const std::string song = WriteSongFile("message.dmf", message);
    PlayToEnd(song);

    EXPECT_EQ(Module->InfoBox("", nullptr), 0);
    TRecordedInfoWindow window = SongInfoWindowRecordSnapshot();
    EXPECT_TRUE(window.Visible);
    EXPECT_EQ(window.ShowCount, 1);
    EXPECT_EQ(window.BringToFrontCount, 0);
    EXPECT_EQ(window.Title, "With Message - Writer");
    std::vector<std::string> lines;
    for (const std::string& line : message.MessageLines) {
        lines.push_back(Column40(line));
    }
    // Empty lines stay, the long line stays one line.
    EXPECT_EQ(window.Lines, lines);

    // The song's own path counts as the current song; a visible window comes forward.
    EXPECT_EQ(Module->InfoBox(song.c_str(), nullptr), 0);
    window = SongInfoWindowRecordSnapshot();
    EXPECT_EQ(window.ShowCount, 1);
    EXPECT_EQ(window.BringToFrontCount, 1);
    EXPECT_EQ(window.Lines, lines);

    // Closed by its user, it is shown again.
    SongInfoWindowRecordClose();
    EXPECT_EQ(Module->InfoBox("", nullptr), 0);
    window = SongInfoWindowRecordSnapshot();
    EXPECT_TRUE(window.Visible);
    EXPECT_EQ(window.ShowCount, 2);
    EXPECT_EQ(window.Title, "With Message - Writer");
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
}

TEST_F(TPluginInfoBox, OtherFilesShowNothing)
{
    const std::string current = WriteSongFile("current.dmf", SteadySong(6, "Current", "A"));
    const std::string other = WriteSongFile("other.dmf", SteadySong(6, "Other", "B"));
    PlayToEnd(current);
    std::string differentCase = current;
    differentCase.replace(differentCase.size() - 3, 3, "DMF");
    for (const std::string& name : {other, differentCase, TempPath("missing.dmf")}) {
        EXPECT_EQ(Module->InfoBox(name.c_str(), nullptr), 0) << name;
        const TRecordedInfoWindow window = SongInfoWindowRecordSnapshot();
        EXPECT_FALSE(window.Visible) << name;
        EXPECT_EQ(window.ShowCount, 0) << name;
        EXPECT_TRUE(window.Title.empty()) << name;
        EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty()) << name;
    }
}

// The window shows what it was filled with until the next request.
TEST_F(TPluginInfoBox, WindowKeepsItsSongUntilTheNextRequest)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(6, "First", "A"));
    const std::string second = WriteSongFile("second.dmf", SteadySong(6, "Second", "B"));
    PlayToEnd(first);
    Module->InfoBox("", nullptr);
    PlayToEnd(second);
    EXPECT_EQ(SongInfoWindowRecordSnapshot().Title, "First - A");
    Module->InfoBox("", nullptr);
    EXPECT_EQ(SongInfoWindowRecordSnapshot().Title, "Second - B");
}

}  // namespace
