// The song information window as Windows makes it: frame, controls, fonts and
// colours, what closing it does, requests and destruction from other threads,
// and a screenshot kept in the build tree.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/PlatformSystem.h"
#include "plugin/SongInfoForm.h"
#include "plugin/SongInfoWindow.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/WindowText.h"
#include "tests/win32/PngFile.h"
#include "tests/win32/WindowCapture.h"
#include "tests/win32/WindowTestEnvironment.h"

namespace {

using Layout = TSongInfoLayout;

// Lets the display catch up: a window just shown gets its expose and paint
// messages over a few rounds.
void PumpMessagesFor(std::chrono::milliseconds Duration)
{
    const auto end = std::chrono::steady_clock::now() + Duration;
    do {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (std::chrono::steady_clock::now() < end);
    PumpMessages();
}

BOOL CALLBACK CollectWindow(HWND Window, LPARAM Found)
{
    reinterpret_cast<std::vector<HWND>*>(Found)->push_back(Window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOfThisThread()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindSongInfoForm()
{
    for (HWND window : TopLevelWindowsOfThisThread()) {
        if (WindowText(window) == Layout::Caption) {
            return window;
        }
    }
    return nullptr;
}

// A control's place in its parent's client area.
TControlBounds BoundsInParent(HWND Control)
{
    RECT r;
    GetWindowRect(Control, &r);
    MapWindowPoints(nullptr, GetParent(Control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ExpectBounds(HWND Control, const TControlBounds& Expected, const char* What)
{
    const TControlBounds actual = BoundsInParent(Control);
    EXPECT_EQ(actual.Left, Expected.Left) << What;
    EXPECT_EQ(actual.Top, Expected.Top) << What;
    EXPECT_EQ(actual.Width, Expected.Width) << What;
    EXPECT_EQ(actual.Height, Expected.Height) << What;
}

LOGFONTA FontOf(HWND Control)
{
    LOGFONTA font = {};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(Control, WM_GETFONT, 0, 0));
    if (!handle || !GetObjectA(handle, sizeof font, &font)) {
        ADD_FAILURE() << "control has no font of its own";
    }
    return font;
}

LONG_PTR StyleOf(HWND Window)
{
    return GetWindowLongPtrA(Window, GWL_STYLE);
}

// True when Upper is above Lower among the top-level windows.
bool IsAbove(HWND Upper, HWND Lower)
{
    for (HWND w = GetWindow(Upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == Lower) {
            return true;
        }
    }
    return false;
}

bool IsWhite(COLORREF C)
{
    return GetRValue(C) > 200 && GetGValue(C) > 200 && GetBValue(C) > 200;
}

bool IsBlack(COLORREF C)
{
    return GetRValue(C) < 40 && GetGValue(C) < 40 && GetBValue(C) < 40;
}

// Counts of black and white pixels in a text control's client area.
struct TInk {
    int Black = 0, White = 0, Other = 0;
};

TInk InkOf(const TWindowCapture& Capture, HWND Control)
{
    TInk ink;
    RECT client;
    GetClientRect(Control, &client);
    for (int y = client.top; y < client.bottom; ++y) {
        for (int x = client.left; x < client.right; ++x) {
            const COLORREF c = Capture.ClientPixel(Control, x, y);
            ++(IsBlack(c) ? ink.Black : IsWhite(c) ? ink.White : ink.Other);
        }
    }
    return ink;
}

// Runs Work on another thread and says whether it ended within a generous
// bound while this thread dispatched nothing; the thread is joined either way.
bool EndsWithoutThisThreadsHelp(std::function<void()> Work)
{
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread worker([&] {
        Work();
        done.set_value();
    });
    const bool inTime = ended.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    while (ended.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        PumpMessages();  // unblocks a worker that waits for this thread, so the test ends
    }
    worker.join();
    return inTime;
}

class SongInfoWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WindowsCanBeMade()) {
            GTEST_SKIP() << "no display to make windows on: run under xvfb-run (or with DISPLAY set)";
        }
    }

    void TearDown() override
    {
        Window.reset();
        PumpMessages();
        EXPECT_EQ(FindSongInfoForm(), nullptr) << "the window outlived its object";
    }

    void Make()
    {
        Window = PluginCreateSongInfoWindow();
        ASSERT_TRUE(Window);
        Form = FindSongInfoForm();
        ASSERT_TRUE(Form);
        MessageGroup = FindWindowExA(Form, nullptr, "Button", Layout::MessageGroupCaption);
        TitleGroup = FindWindowExA(Form, nullptr, "Button", Layout::TitleGroupCaption);
        ASSERT_TRUE(MessageGroup && TitleGroup);
        MessageMemo = FindWindowExA(MessageGroup, nullptr, "Edit", nullptr);
        TitleEdit = FindWindowExA(TitleGroup, nullptr, "Edit", nullptr);
        ASSERT_TRUE(MessageMemo && TitleEdit);
    }

    std::unique_ptr<TSongInfoWindow> Window;
    HWND Form = nullptr, MessageGroup = nullptr, TitleGroup = nullptr, MessageMemo = nullptr, TitleEdit = nullptr;
};

TEST_F(SongInfoWindowTest, MadeHiddenAsAFixedIndependentWindowWithItsOwnIcon)
{
    Make();
    EXPECT_FALSE(IsWindowVisible(Form));
    EXPECT_FALSE(Window->IsVisible());
    EXPECT_EQ(GetWindow(Form, GW_OWNER), nullptr);

    const LONG_PTR style = StyleOf(Form);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD));

    RECT frame, client;
    GetWindowRect(Form, &frame);
    GetClientRect(Form, &client);
    EXPECT_EQ(frame.left, Layout::Left);
    EXPECT_EQ(frame.top, Layout::Top);
    EXPECT_EQ(client.right, Layout::ClientWidth);
    EXPECT_EQ(client.bottom, Layout::ClientHeight);
    EXPECT_EQ(GetClassLongPtrA(Form, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);

    // The icon comes from the module's resources, in both sizes.
    EXPECT_NE(GetClassLongPtrA(Form, GCLP_HICON), 0);
    EXPECT_NE(GetClassLongPtrA(Form, GCLP_HICONSM), 0);
}

TEST_F(SongInfoWindowTest, ControlsSitInTheirGroupBoxesReadOnlyInTheSongsFaceAndTabOrder)
{
    Make();
    EXPECT_EQ(GetParent(MessageGroup), Form);
    EXPECT_EQ(GetParent(TitleGroup), Form);
    ExpectBounds(TitleGroup, Layout::TitleGroup, "title group");
    ExpectBounds(TitleEdit, Layout::TitleEdit, "title");
    ExpectBounds(MessageGroup, Layout::MessageGroup, "message group");
    ExpectBounds(MessageMemo, Layout::MessageMemo, "message");

    for (HWND text : {TitleEdit, MessageMemo}) {
        EXPECT_TRUE(StyleOf(text) & ES_READONLY);
        const LOGFONTA font = FontOf(text);
        EXPECT_STREQ(font.lfFaceName, Layout::TextFont);
        EXPECT_EQ(font.lfHeight, Layout::TextFontHeight);
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
    }
    EXPECT_FALSE(StyleOf(TitleEdit) & ES_MULTILINE);
    // A memo without word wrap: it scrolls sideways, with a vertical bar only.
    const LONG_PTR memo = StyleOf(MessageMemo);
    EXPECT_TRUE(memo & ES_MULTILINE);
    EXPECT_TRUE(memo & ES_AUTOHSCROLL);
    EXPECT_TRUE(memo & WS_VSCROLL);
    EXPECT_FALSE(memo & WS_HSCROLL);

    for (HWND box : {MessageGroup, TitleGroup}) {
        const LOGFONTA font = FontOf(box);
        EXPECT_STREQ(font.lfFaceName, Layout::FormFont);
        EXPECT_EQ(font.lfHeight, Layout::FormFontHeight);
    }

    // The message's group comes first in tab order, then the title's.
    EXPECT_EQ(GetNextDlgTabItem(Form, nullptr, FALSE), MessageMemo);
    EXPECT_EQ(GetNextDlgTabItem(Form, MessageMemo, FALSE), TitleEdit);
    EXPECT_EQ(GetNextDlgTabItem(Form, TitleEdit, FALSE), MessageMemo);
}

TEST_F(SongInfoWindowTest, TitleAndLinesReadBackWithLongLinesUnwrapped)
{
    Make();
    Window->SetTitle("Deep Blue - Quorlith");
    EXPECT_EQ(WindowText(TitleEdit), "Deep Blue - Quorlith");

    const std::string longLine = std::string(400, 'w') + " end";
    Window->SetMessageLines({"first line", "", longLine, "caf\xE9 \xA9"});
    EXPECT_EQ(WindowText(MessageMemo), "first line\r\n\r\n" + longLine + "\r\ncaf\xE9 \xA9");
    EXPECT_EQ(SendMessageA(MessageMemo, EM_GETLINECOUNT, 0, 0), 4);

    // Each refill replaces what was shown.
    Window->SetMessageLines({});
    EXPECT_EQ(WindowText(MessageMemo), "");
    Window->SetMessageLines({"only"});
    EXPECT_EQ(WindowText(MessageMemo), "only");
    Window->SetTitle(" - ");
    EXPECT_EQ(WindowText(TitleEdit), " - ");
}

TEST_F(SongInfoWindowTest, ClosingByTheUserHidesItAndShowBringsItBack)
{
    Make();
    Window->SetTitle("kept while hidden");
    Window->Show();
    EXPECT_TRUE(IsWindowVisible(Form));
    EXPECT_TRUE(Window->IsVisible());
    PumpMessagesFor(std::chrono::milliseconds(100));

    SendMessageA(Form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(Form));
    EXPECT_FALSE(Window->IsVisible());

    Window->Show();
    EXPECT_TRUE(Window->IsVisible());
    EXPECT_EQ(FindSongInfoForm(), Form);             // the same window, not a new one
    SendMessageA(Form, WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu's Close
    EXPECT_TRUE(IsWindow(Form));
    EXPECT_FALSE(Window->IsVisible());
    EXPECT_EQ(WindowText(TitleEdit), "kept while hidden");

    Window->Show();
    PumpMessagesFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(Window->IsVisible());
    Window->Hide();
    EXPECT_FALSE(Window->IsVisible());
}

TEST_F(SongInfoWindowTest, BringToFrontRaisesItAboveAnotherWindowAndTabMovesFocus)
{
    Make();
    Window->Show();
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, Layout::Left + 20,
                                 Layout::Top + 20, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PumpMessagesFor(std::chrono::milliseconds(100));
    ASSERT_TRUE(IsAbove(other, Form));

    Window->BringToFront();
    PumpMessagesFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(IsAbove(Form, other));
    DestroyWindow(other);

    // Tab and Shift+Tab move between the text controls, though no dialog loop runs.
    SetFocus(MessageMemo);
    ASSERT_EQ(GetFocus(), MessageMemo);
    SendMessageA(MessageMemo, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), TitleEdit);
    SendMessageA(TitleEdit, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), MessageMemo);
}

TEST_F(SongInfoWindowTest, RequestsFromAnotherThreadWaitForNothingAndArriveThroughTheLoop)
{
    Make();
    EXPECT_TRUE(EndsWithoutThisThreadsHelp([&] {
        Window->SetMessageLines({"from", "elsewhere"});
        Window->SetTitle("queued title");
        Window->Show();
    }));
    PumpMessages();
    EXPECT_EQ(WindowText(TitleEdit), "queued title");
    EXPECT_EQ(WindowText(MessageMemo), "from\r\nelsewhere");
    EXPECT_TRUE(Window->IsVisible());

    EXPECT_TRUE(EndsWithoutThisThreadsHelp([&] { Window->Hide(); }));
    PumpMessages();
    EXPECT_FALSE(Window->IsVisible());
}

TEST_F(SongInfoWindowTest, DestroyedFromAnotherThreadItGoesThroughItsOwnLoopAndANewOneWorks)
{
    Make();
    Window->Show();
    HWND old = Form;
    EXPECT_TRUE(EndsWithoutThisThreadsHelp([&] { Window.reset(); }));
    PumpMessagesFor(std::chrono::milliseconds(50));
    EXPECT_FALSE(IsWindow(old));

    // The next window gets a working class again: closing hides it.
    Make();
    Window->SetTitle("again");
    EXPECT_EQ(WindowText(TitleEdit), "again");
    Window->Show();
    SendMessageA(Form, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(Form));
    EXPECT_FALSE(Window->IsVisible());
}

TEST_F(SongInfoWindowTest, WindowGoneWithItsThreadLeavesASafeObject)
{
    std::unique_ptr<TSongInfoWindow> orphan;
    std::thread maker([&] { orphan = PluginCreateSongInfoWindow(); });
    maker.join();
    ASSERT_TRUE(orphan);
    // The system takes a thread's windows with it, a moment after the thread ended.
    for (int i = 0; i < 500 && FindWindowA(nullptr, Layout::Caption); ++i) {
        Sleep(10);
    }
    ASSERT_EQ(FindWindowA(nullptr, Layout::Caption), nullptr);
    orphan->SetTitle("nobody reads this");
    orphan->Show();
    EXPECT_FALSE(orphan->IsVisible());
    orphan.reset();

    Make();  // the class is still there to use
    Window->Show();
    EXPECT_TRUE(Window->IsVisible());
}

TEST_F(SongInfoWindowTest, PlugInsWindowGoesWithTheDllWhicheverThreadUnloadsIt)
{
    for (const bool unloadElsewhere : {false, true}) {
        SCOPED_TRACE(unloadElsewhere ? "unloaded by another thread" : "unloaded by the window's thread");
        HMODULE dll = LoadLibraryA(MORVEL_PLUGIN_DLL);
        ASSERT_TRUE(dll);
        const auto entry =
            reinterpret_cast<In_Module* (*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "winampGetInModule2")));
        ASSERT_TRUE(entry);
        In_Module* module = entry();
        module->hDllInstance = dll;
        module->Init();
        module->InfoBox("", nullptr);  // the empty song of Init is the current one
        HWND form = FindSongInfoForm();
        ASSERT_TRUE(form);
        EXPECT_TRUE(IsWindowVisible(form));
        module->Quit();

        if (unloadElsewhere) {
            // The window outlives the unload until this thread's loop closes
            // it; nothing of the unloaded code may run then.
            EXPECT_TRUE(EndsWithoutThisThreadsHelp([dll] { FreeLibrary(dll); }));
            PumpMessagesFor(std::chrono::milliseconds(50));
        } else {
            FreeLibrary(dll);
        }
        EXPECT_FALSE(IsWindow(form));
    }
}

TEST_F(SongInfoWindowTest, ScreenshotShowsWhiteSongTextOnBlackInsideTheCaptionedBoxes)
{
    Make();
    Window->SetTitle("Deep Blue Harbour - Quorlith");
    Window->SetMessageLines({"Made with Morvel, the solvane dmf player.", "", "Greetings to every tracker out there!",
                             "   !\"#$%&'()*+,-./0123456789:;<=>?",
                             "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~",
                             "\xA1\xA9\xAE\xB0\xBD \xC0\xC9\xD6\xDC\xDF \xE0\xE9\xF1\xF6\xFC\xFF",
                             "A long line that goes on and on past the right edge of the memo without wrapping "
                             "at all"});
    Window->Show();
    PumpMessagesFor(std::chrono::milliseconds(500));
    RedrawWindow(Form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(std::chrono::milliseconds(200));

    const TWindowCapture capture = CaptureWindow(Form);
    ASSERT_GT(capture.Width, 0);
    EXPECT_TRUE(WritePngFile(MORVEL_SCREENSHOT, capture.Width, capture.Height, capture.Rgb)) << MORVEL_SCREENSHOT;

    // Button face between the boxes; black fields with white writing in them.
    EXPECT_EQ(capture.ClientPixel(Form, 4, 57), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
    for (HWND text : {TitleEdit, MessageMemo}) {
        const TInk ink = InkOf(capture, text);
        EXPECT_GT(ink.Black, ink.White + ink.Other) << "background of the text is not black";
        EXPECT_GT(ink.White, 20) << "no white writing";
    }

    if (SongFontRegistered()) {
        // With the font registered the controls draw in its face, not a substitute.
        HDC dc = GetDC(TitleEdit);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(TitleEdit, WM_GETFONT, 0, 0)));
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, LF_FACESIZE, face);
        SelectObject(dc, previous);
        ReleaseDC(TitleEdit, dc);
        EXPECT_STREQ(face, Layout::TextFont);
    }
}

}  // namespace
