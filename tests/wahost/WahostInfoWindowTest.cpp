// The song information window as the user meets it: made hidden at Init on
// the host's UI thread, shown by InfoBox for the current song, refilled on
// each request, hidden (not destroyed) when closed, shown again, and gone
// with the DLL. Its text controls use the song font when it is installed.

#include <filesystem>

#include "tests/wahost/FontProbe.h"
#include "tests/wahost/InfoWindowProbe.h"
#include "tests/wahost/WahostFixture.h"

namespace {

// A message line as the file stores it: cut or padded to 40 columns.
std::string Column40(const std::string& Line)
{
    std::string line = Line.substr(0, 40);
    line.resize(40, ' ');
    return line;
}

class TWahostInfoWindow : public TWahostTest {
protected:
    // The window Init made; the test is skipped when there can be none.
    HWND Window()
    {
        if (!Options().Display) {
            return nullptr;
        }
        return FindInfoWindow();
    }

    TInfoWindowView View(HWND Window)
    {
        TInfoWindowView view;
        Ui([&] { view = ReadInfoWindow(Window); });
        return view;
    }

    void Close(HWND Window)
    {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(Window, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &result);
    }
};

#define SKIP_WITHOUT_WINDOW(window)                                                                                    \
    if (!Options().Display) {                                                                                          \
        GTEST_SKIP() << "no display: the window checks are skipped";                                                   \
    }                                                                                                                  \
    if (!(window)) {                                                                                                   \
        GTEST_SKIP() << "the DLL made no window captioned \"" << InfoWindowCaption << "\" at Init (the song "          \
                     << "information window is not built yet)";                                                        \
    }

TEST_F(TWahostInfoWindow, MadeHiddenAtInitOnTheUiThreadAndGoneWithTheLibrary)
{
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    TInfoWindowView view = View(window);
    EXPECT_FALSE(view.Visible);
    EXPECT_EQ(view.Thread, MainWindow().ThreadId());
    EXPECT_NE(view.TitleEdit, nullptr) << "no single-line edit for the title";
    EXPECT_NE(view.MessageMemo, nullptr) << "no multi-line edit for the message";
    EXPECT_TRUE(view.ReadOnly);

    // Quit leaves it; unloading the DLL takes it along.
    Quit();
    EXPECT_TRUE(IsWindow(window));
    Unload();
    MainWindow().Settle();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindInfoWindow(), nullptr);
    // Loaded again, there is none until Init.
    ASSERT_NO_FATAL_FAILURE(Load());
    EXPECT_EQ(FindInfoWindow(), nullptr);
    Init();
    EXPECT_NE(FindInfoWindow(), nullptr);
}

TEST_F(TWahostInfoWindow, EmptyNameBeforeAnyPlayShowsTheEmptySong)
{
    EXPECT_EQ(InfoBox("", MainWindow().Handle()), 0);
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    const TInfoWindowView view = View(window);
    EXPECT_TRUE(view.Visible);
    EXPECT_EQ(view.Title, " - ");
    EXPECT_TRUE(view.Lines.empty());
}

TEST_F(TWahostInfoWindow, ShownForTheCurrentSongRefilledHiddenByClosingAndShownAgain)
{
    TWriterSong message = SteadySong(6, "With Message", "Writer");
    message.MessageLines = {"First line", "", "A line that runs on far beyond the forty columns of a line", ""};
    const std::string song = WriteSongFile("message.dmf", message);
    PlayToEnd(song);
    std::vector<std::string> lines;
    for (const std::string& line : message.MessageLines) {
        lines.push_back(Column40(line));
    }

    EXPECT_EQ(InfoBox("", MainWindow().Handle()), 0);
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    TInfoWindowView view = View(window);
    EXPECT_TRUE(view.Visible);
    EXPECT_EQ(view.Title, "With Message - Writer");
    // Empty lines stay, the long line stays one line.
    EXPECT_EQ(view.Lines, lines);

    // The song's own path counts as the current song: the visible window is
    // filled again (over what the user may have typed) and stays shown.
    Ui([&] {
        SetWindowTextA(view.TitleEdit, "scribbled");
        SetWindowTextA(view.MessageMemo, "scribbled");
    });
    EXPECT_EQ(InfoBox(song.c_str()), 0);
    view = View(window);
    EXPECT_TRUE(view.Visible);
    EXPECT_EQ(view.Title, "With Message - Writer");
    EXPECT_EQ(view.Lines, lines);

    // Closed by its user it is hidden, not destroyed; the next request shows it again.
    Close(window);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(View(window).Visible);
    EXPECT_EQ(InfoBox(""), 0);
    EXPECT_EQ(FindInfoWindow(), window);
    view = View(window);
    EXPECT_TRUE(view.Visible);
    EXPECT_EQ(view.Title, "With Message - Writer");
}

TEST_F(TWahostInfoWindow, OtherFilesShowNothing)
{
    const std::string current = WriteSongFile("current.dmf", SteadySong(6, "Current", "A"));
    const std::string other = WriteSongFile("other.dmf", SteadySong(6, "Other", "B"));
    PlayToEnd(current);
    std::string differentCase = current;
    differentCase.replace(differentCase.size() - 3, 3, "DMF");
    for (const std::string& name : {other, differentCase, TempPath("missing.dmf")}) {
        EXPECT_EQ(InfoBox(name.c_str()), 0) << name;
    }
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    const TInfoWindowView view = View(window);
    EXPECT_FALSE(view.Visible);
    EXPECT_EQ(view.Title, "");
}

// The window shows what it was filled with until the next request.
TEST_F(TWahostInfoWindow, WindowKeepsItsSongUntilTheNextRequest)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(6, "First", "A"));
    const std::string second = WriteSongFile("second.dmf", SteadySong(6, "Second", "B"));
    PlayToEnd(first);
    InfoBox("");
    PlayToEnd(second);
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    EXPECT_EQ(View(window).Title, "First - A");
    InfoBox("");
    EXPECT_EQ(View(window).Title, "Second - B");
}

TEST_F(TWahostInfoWindow, TextControlsRenderInTheSongFont)
{
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    if (!std::filesystem::exists(std::filesystem::path(Options().Plugin).parent_path() / "vuravi__.fon")) {
        GTEST_SKIP() << "vuravi__.fon is not built yet: the controls cannot have their font";
    }
    const TInfoWindowView view = View(window);
    for (HWND control : {view.TitleEdit, view.MessageMemo}) {
        ASSERT_NE(control, nullptr);
        TControlFont font;
        Ui([&] { font = ControlFont(control); });
        EXPECT_EQ(font.Requested, SongFontFace);
        EXPECT_EQ(font.Height, -13);
        EXPECT_EQ(font.Realised, SongFontFace) << "the system gave another face";
    }
}

// Winamp unloads its plug-ins from its UI thread; a window the DLL showed
// there must go with it, leaving the host's message loop running.
TEST_F(TWahostInfoWindow, UnloadWhileShownTakesTheWindowAlong)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(6, "Shown", "Then Unloaded"));
    PlayToEnd(song);
    InfoBox("");
    const HWND window = Window();
    SKIP_WITHOUT_WINDOW(window);
    ASSERT_TRUE(View(window).Visible);
    Stop();
    Quit();
    Unload();
    MainWindow().Settle();
    EXPECT_FALSE(IsWindow(window));
    // The host goes on: the DLL loads again and shows a new window.
    ASSERT_NO_FATAL_FAILURE(Load());
    Init();
    PlayToEnd(song);
    InfoBox("");
    const HWND again = FindInfoWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(View(again).Visible);
    EXPECT_EQ(View(again).Title, "Shown - Then Unloaded");
}

}  // namespace
