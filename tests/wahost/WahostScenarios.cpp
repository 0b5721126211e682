// The plug-in's scenarios (tests/plugin/scenarios), driven through the DLL
// as Winamp drives it: the entry points on the main window's UI thread.

#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/scenarios/PlayerCalls.h"
#include "tests/wahost/InfoWindowProbe.h"
#include "tests/wahost/WahostFixture.h"

namespace {

class TPluginDriverTest : public TWahostTest {
protected:
    // Loads let others read the file: file information may read the song being played.
    static constexpr bool PlayedFilesReadable = true;
    // Winamp asks for the information window on its UI thread only: it is a window of that thread.
    static constexpr bool InfoBoxFromAnyThread = false;

    // The real main window records a command as its own thread receives it.
    std::thread::id CommandRecordedOn(std::thread::id) const { return HostThread(); }

    // Outside the DLL a thread it started is seen by the calls it makes: the
    // player threads in the calls recorded since the test began.
    void ExpectThreadsStarted(int Count)
    {
        EXPECT_EQ(PlayerThreads(Host.Calls(), HostThread()).size(), static_cast<size_t>(Count)) << "player threads";
    }
    void ExpectNoMessageBoxes()
    {
        EXPECT_EQ(MainWindow().TakeMessageBoxes(), std::vector<std::string>{}) << "message boxes were shown";
    }
    // Without a display the plug-in can make no window to look at.
    void ExpectInfoWindowTitle(const std::string& Title)
    {
        if (!Options().Display) {
            return;
        }
        const HWND window = FindInfoWindow();
        ASSERT_NE(window, nullptr) << "no song information window";
        TInfoWindowView view;
        Ui([&] { view = ReadInfoWindow(window); });
        EXPECT_TRUE(view.Visible);
        EXPECT_EQ(view.Title, Title);
    }
};

}  // namespace

#include "tests/plugin/scenarios/ExtendedInfoScenarios.inc"
#include "tests/plugin/scenarios/ExtendedReadScenarios.inc"
#include "tests/plugin/scenarios/FileInfoScenarios.inc"
#include "tests/plugin/scenarios/HiddenOutputScenarios.inc"
#include "tests/plugin/scenarios/OutputModelScenarios.inc"
#include "tests/plugin/scenarios/PlaybackScenarios.inc"
#include "tests/plugin/scenarios/PlaylistScenarios.inc"
#include "tests/plugin/scenarios/RobustnessScenarios.inc"
#include "tests/plugin/scenarios/SeekScenarios.inc"
#include "tests/plugin/scenarios/SettingsScenarios.inc"
