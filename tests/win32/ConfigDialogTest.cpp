// The Config dialog as Windows shows it, opened through the plug-in's Config
// on the host's window thread and worked from the test's by the messages a
// listener's input sends: what it shows of the settings in force, OK (the
// settings file holds the controls' settings, the next Play uses them),
// Defaults, Cancel and the close box (nothing changes), and a screenshot kept
// in the build tree.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "plugin/ConfigDialog.h"
#include "plugin/DataModule.h"
#include "plugin/PluginResources.h"
#include "tests/support/ConfigDialogDriver.h"
#include "tests/support/PluginReference.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SettingsFileText.h"
#include "tests/support/WindowText.h"
#include "tests/win32/PngFile.h"
#include "tests/win32/WindowCapture.h"
#include "tests/win32/WindowTestEnvironment.h"

namespace {

std::string FileText(const std::string& Path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(Path);
    return {bytes.begin(), bytes.end()};
}

TRecordingHost* AnsweringHost = nullptr;

// The host's main window: answers the question for its settings file.
LRESULT CALLBACK MainWindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    if (Message == WM_WA_IPC && WParam == 0 && LParam == IPC_GETINIFILE && AnsweringHost) {
        return AnsweringHost->SettingsFileAnswer();
    }
    return DefWindowProcA(Window, Message, WParam, LParam);
}

class ConfigDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WindowsCanBeMade()) {
            GTEST_SKIP() << "no display to make windows on: run under xvfb-run (or with DISPLAY set)";
        }
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ConfigDialogTestHost";
        RegisterClassA(&windowClass);
        MainWindow = CreateWindowExA(0, windowClass.lpszClassName, "Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 275, 116,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
        ASSERT_TRUE(MainWindow);
        AnsweringHost = &Host;
        Host.SetSettingsFile(SettingsPath);
        Host.UseMainWindow(MainWindow);
        std::remove(SettingsPath.c_str());
    }

    void TearDown() override
    {
        if (Module) {
            Module->Stop();
            Module->Quit();
        }
        DestroyDataModule1();
        AnsweringHost = nullptr;
        if (MainWindow) {
            DestroyWindow(MainWindow);
        }
        PumpMessages();
        std::remove(SettingsPath.c_str());
    }

    // The plug-in loaded and Init, which reads the settings file holding Text.
    void Start(const std::string& Text)
    {
        WriteFileBytes(SettingsPath, {Text.begin(), Text.end()});
        DestroyDataModule1();
        CreateDataModule1();
        Module = winampGetInModule2();
        Host.Attach(*Module);
        Module->Init();
    }

    // Config on a thread of its own, the host's window thread, which makes
    // the dialog's owner; Work gets the dialog, which must close it. Returns
    // when Config has (a dialog Work left open is closed by Cancel, and the
    // test fails).
    void WithDialog(const std::function<void(HWND Dialog)>& Work)
    {
        std::atomic<HWND> owner{nullptr};
        std::atomic<bool> returned{false};
        std::thread host([&] {
            HWND window = CreateWindowExA(0, "STATIC", "Winamp", WS_OVERLAPPEDWINDOW, 40, 40, 275, 116, nullptr,
                                          nullptr, nullptr, nullptr);
            owner = window;
            Module->Config(window);
            returned = true;
            DestroyWindow(window);
        });
        const HWND dialog = WaitForConfigDialog();
        EXPECT_TRUE(dialog) << "Config showed no dialog";
        if (dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.load());
            Work(dialog);
            for (int i = 0; i < 500 && !returned; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_TRUE(returned) << "the dialog stayed open";
            if (!returned) {
                ClickConfigButton(dialog, IDCANCEL);
            }
        }
        host.join();
    }

    // What the next Play opens the output at.
    int64_t NextPlaysRate()
    {
        Host.ClearCalls();
        EXPECT_EQ(Module->Play(Song.c_str()), 0);
        Module->Stop();
        PumpMessages();
        const std::vector<THostCall> opens = Host.CallsNamed("Open");
        return opens.empty() ? 0 : opens[0].Args[0];
    }

    const std::string SettingsPath = ::testing::TempDir() + "ConfigDialogTest.winamp.ini";
    const std::string Song = WriteSongFile("song.dmf", SteadySong(8));
    TRecordingHost Host;
    HWND MainWindow = nullptr;
    In_Module* Module = nullptr;
};

TEST_F(ConfigDialogTest, OpensOwnedByTheHostsWindowShowingTheSettingsInForce)
{
    const TSoundSettings inForce{TInterpolation::Cubic, 11025, 60, true};
    Start(WinampIni + SectionOf(inForce));
    WithDialog([&](HWND Dialog) {
        const LONG_PTR style = GetWindowLongPtrA(Dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_CAPTION);
        EXPECT_FALSE(IsWindowEnabled(GetWindow(Dialog, GW_OWNER))) << "not modal";
        // A rate none of the list's, in the list's field.
        EXPECT_EQ(ReadConfigDialog(Dialog), ConfigDialogViewOf(inForce));

        HWND interpolations = GetDlgItem(Dialog, MORVEL_CONFIG_INTERPOLATION);
        ASSERT_EQ(SendMessageA(interpolations, CB_GETCOUNT, 0, 0), 4);
        // Entry i is the interpolation of that number, named first.
        for (int i = 0; i < 4; ++i) {
            char text[256] = {};
            SendMessageA(interpolations, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            TInterpolation named = TInterpolation::Linear;
            const std::string entry = text;
            EXPECT_TRUE(InterpolationNamed(entry.substr(0, entry.find(':')), named)) << entry;
            EXPECT_EQ(named, Interpolations[i]) << entry;
        }
        HWND rates = GetDlgItem(Dialog, MORVEL_CONFIG_RATE);
        ASSERT_EQ(SendMessageA(rates, CB_GETCOUNT, 0, 0), 7);
        char first[16] = {}, last[16] = {};
        SendMessageA(rates, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        SendMessageA(rates, CB_GETLBTEXT, 6, reinterpret_cast<LPARAM>(last));
        EXPECT_STREQ(first, "22050");
        EXPECT_STREQ(last, "192000");
        HWND slider = GetDlgItem(Dialog, MORVEL_CONFIG_SEPARATION);
        EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 0);
        EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 200);
        ClickConfigButton(Dialog, IDCANCEL);
    });
}

TEST_F(ConfigDialogTest, OkPutsTheControlsInTheFileAndTheNextPlayTakesThem)
{
    Start(WinampIni);
    EXPECT_EQ(NextPlaysRate(), 44100);
    const TSoundSettings chosen{TInterpolation::Sinc, 48000, 150, true};
    WithDialog([&](HWND Dialog) {
        EXPECT_EQ(ReadConfigDialog(Dialog), ConfigDialogViewOf(TSoundSettings{}));
        SetConfigDialog(Dialog, chosen);
        // The percentage follows the slider as it moves.
        EXPECT_EQ(WindowText(GetDlgItem(Dialog, MORVEL_CONFIG_SEPARATION_TEXT)), "150 %");
        ClickConfigButton(Dialog, IDOK);
    });
    EXPECT_EQ(FileText(SettingsPath), WinampIni + SectionOf(chosen));
    EXPECT_TRUE(DataModule1->SoundSettings.Current() == chosen);
    EXPECT_EQ(NextPlaysRate(), 48000);

    // Any whole rate may be typed; one out of range is held to the nearest,
    // a field without a number keeps the rate.
    const std::pair<const char*, int> typed[] = {{"11025", 11025}, {"500", 8000}, {"fast", 8000}};
    for (const auto& [text, rate] : typed) {
        SCOPED_TRACE(text);
        WithDialog([&](HWND Dialog) {
            TypeConfigRate(Dialog, text);
            ClickConfigButton(Dialog, IDOK);
        });
        EXPECT_EQ(DataModule1->SoundSettings.Current().Rate, rate);
        EXPECT_EQ(NextPlaysRate(), rate);
    }
    TSoundSettings kept = chosen;
    kept.Rate = 8000;
    EXPECT_EQ(FileText(SettingsPath), WinampIni + SectionOf(kept));
}

TEST_F(ConfigDialogTest, DefaultsFillTheControlsAndCancelOrTheCloseBoxChangeNothing)
{
    const TSoundSettings inForce{TInterpolation::None, 96000, 0, true};
    const std::string file = WinampIni + SectionOf(inForce);
    Start(file);
    for (const bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        WithDialog([&](HWND Dialog) {
            ClickConfigButton(Dialog, MORVEL_CONFIG_DEFAULTS);
            EXPECT_EQ(ReadConfigDialog(Dialog), ConfigDialogViewOf(TSoundSettings{}));
            SetConfigDialog(Dialog, {TInterpolation::Cubic, 22050, 200, false});
            if (closeBox) {
                SendMessageA(Dialog, WM_CLOSE, 0, 0);
            } else {
                ClickConfigButton(Dialog, IDCANCEL);
            }
        });
        EXPECT_EQ(FileText(SettingsPath), file);
        EXPECT_TRUE(DataModule1->SoundSettings.Current() == inForce);
        EXPECT_EQ(NextPlaysRate(), 96000);
    }
}

TEST_F(ConfigDialogTest, ScreenshotShowsEveryControl)
{
    Start(WinampIni);
    WithDialog([&](HWND Dialog) {
        SetConfigDialog(Dialog, {TInterpolation::Sinc, 48000, 150, false});
        // The dialog's own thread paints it, its frame included.
        SetForegroundWindow(Dialog);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        RedrawWindow(Dialog, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const TWindowCapture capture = CaptureWindow(Dialog);
        ASSERT_GT(capture.Width, 0);
        EXPECT_TRUE(WritePngFile(MORVEL_CONFIG_SCREENSHOT, capture.Width, capture.Height, capture.Rgb))
            << MORVEL_CONFIG_SCREENSHOT;
        // The dialog's face, and every control drawn on it: none is left as
        // a hole of another colour.
        RECT client;
        GetClientRect(Dialog, &client);
        EXPECT_EQ(capture.ClientPixel(Dialog, client.right - 2, client.bottom / 2),
                  GetSysColor(COLOR_BTNFACE) & 0xFFFFFF);
        for (int control : {MORVEL_CONFIG_INTERPOLATION, MORVEL_CONFIG_RATE, MORVEL_CONFIG_SEPARATION,
                            MORVEL_CONFIG_CLICK_REMOVAL, MORVEL_CONFIG_DEFAULTS, IDOK, IDCANCEL}) {
            HWND item = GetDlgItem(Dialog, control);
            ASSERT_TRUE(item) << control;
            EXPECT_TRUE(IsWindowVisible(item)) << control;
        }
        ClickConfigButton(Dialog, IDCANCEL);
    });
}

}  // namespace
