// The plug-in's scenarios (tests/plugin/scenarios), driven in process: the
// test's thread is the host's, and the records of the platform layer and of the
// song information window show what a host cannot see from outside.

#include <string>
#include <thread>

#include "tests/plugin/PluginFixture.h"

namespace {

class TPluginDriverTest : public TPluginTest {
protected:
    // Loads here open a file shared: file information may read the song being played.
    static constexpr bool PlayedFilesReadable = true;
    // Any thread may ask for the information window.
    static constexpr bool InfoBoxFromAnyThread = true;

    // The stand-in main window records a command on the thread that posted it.
    std::thread::id CommandRecordedOn(std::thread::id Poster) const { return Poster; }

    void ExpectThreadsStarted(int Count) { EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, Count); }
    void ExpectNoMessageBoxes() { EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty()); }
    void ExpectInfoWindowTitle(const std::string& Title) { EXPECT_EQ(SongInfoWindowRecordSnapshot().Title, Title); }
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
