// Faults around the plug-in that no file format check catches: a log that
// cannot be written, files that change between the host's calls, a load that
// runs out of memory part way, Stop meeting the song's own end, and the
// library unloaded right after Stop.

#include <sys/stat.h>
#include <unistd.h>

#include <dlfcn.h>

#include <filesystem>
#include <thread>

#include "module/LoadLogPath.h"
#include "plugin/ExtendedReadHandles.h"
#include "tests/plugin/AllocationLimit.h"
#include "tests/plugin/PluginFixture.h"
#include "tests/support/RenderReference.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

// The largest single allocation the scarce-memory tests allow: less than each
// of a song's render buffers and the player's buffer (0.9 MB each at 44100
// Hz), more than anything the test songs load.
constexpr size_t ScarceBytes = 512 << 10;

class TPluginFault : public TPluginTest {
protected:
    // Plays Path while no single allocation over ScarceBytes can be had: Play
    // answers -1 before it calls the host or starts a thread.
    void ExpectPlayRefusedWithoutMemory(const std::string& Path)
    {
        const int threads = PlatformRecordSnapshot().ThreadsStarted;
        const size_t calls = Host.Calls().size();
        int played = 0;
        {
            TAllocationLimit limit(ScarceBytes);
            played = Module->Play(Path.c_str());
            EXPECT_GT(TAllocationLimit::Refused(), 0);
        }
        EXPECT_EQ(played, -1);
        EXPECT_EQ(Host.Calls().size(), calls) << "the host was called";
        EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, threads);
    }
};

// While it lives the log's place is taken: the log's own name, in the
// state folder the log goes to, is a folder (no one can open it as a file, not
// even root), in a folder that is itself read-only.
class TBlockedLog {
public:
    explicit TBlockedLog(const std::string& StateFolder) : Folder(std::filesystem::path(StateFolder) / "morvel")
    {
        std::filesystem::remove_all(StateFolder);
        Environment.Set("XDG_STATE_HOME", StateFolder.c_str());
        std::filesystem::create_directories(LogFilePath());
        std::filesystem::permissions(Folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
    ~TBlockedLog()
    {
        std::filesystem::permissions(Folder, std::filesystem::perms::owner_all);
        std::error_code ignored;
        std::filesystem::remove_all(Folder.parent_path(), ignored);
    }

private:
    std::filesystem::path Folder;
    TScopedEnvironment Environment;
};

TEST_F(TPluginFault, UnwritableLogChangesNothingTheHostSees)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(8, "Logged", "Not"));
    int expectedLength = 0;
    const std::string expectedTitle = FileTitle(song.c_str(), &expectedLength);

    TBlockedLog blocked(TempPath("nolog"));
    ASSERT_EQ(LogFilePath(), TempPath("nolog") + "/morvel/" + LogFileName);
    int length = 0;
    EXPECT_EQ(FileTitle(song.c_str(), &length), expectedTitle);
    EXPECT_EQ(length, expectedLength);
    PlayToEnd(song);
    Module->Stop();
    EXPECT_EQ(CountNamed(Host.Calls(), "Close"), 1);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
    EXPECT_TRUE(std::filesystem::is_directory(LogFilePath()));
}

TEST_F(TPluginFault, FileGoneBetweenInformationAndPlayLeavesTheDriverIdle)
{
    for (const bool replacedByFolder : {false, true}) {
        const std::string song = WriteSongFile("song.dmf", SteadySong(8, "Going", "Gone"));
        EXPECT_EQ(FileTitle(song.c_str()), "Going - Gone");
        std::filesystem::remove(song);
        if (replacedByFolder) {
            std::filesystem::create_directory(song);
        }
        const int threads = PlatformRecordSnapshot().ThreadsStarted;
        Host.ClearCalls();
        EXPECT_EQ(Module->Play(song.c_str()), -1);
        EXPECT_TRUE(Host.Calls().empty());
        EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, threads);
        int length = -1;
        EXPECT_EQ(FileTitle("", &length), " - ");
        EXPECT_EQ(length, 0);
        Module->Stop();
        EXPECT_TRUE(Host.Calls().empty());
        std::filesystem::remove_all(song);
    }
}

TEST_F(TPluginFault, LoadThatRunsOutOfMemoryPartWayIsDroppedWhole)
{
    // Header, patterns and sample records load; the 2 MB sample cannot be had.
    TWriterSong heavy = SteadySong(8, "Heavy", "Sample");
    heavy.Samples[0].Pcm.assign(2 << 20, 0x11);
    heavy.Samples[0].LoopEnd = 2 << 20;
    const std::string path = WriteSongFile("heavy.dmf", heavy);
    PlayToEnd(WriteSongFile("before.dmf", SteadySong(4, "Before", "It")));
    Module->Stop();
    EXPECT_EQ(FileTitle(path.c_str()), "Heavy - Sample");  // information loads take no sample data

    Host.ClearCalls();
    ExpectPlayRefusedWithoutMemory(path);
    // Neither the half-read song nor the one before it is current.
    int length = -1;
    EXPECT_EQ(FileTitle("", &length), " - ");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(Module->GetLength(), 0);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());

    // With the memory there, the same file plays.
    PlayToEnd(path);
}

// Everything playback needs (the song's render buffers, the player's buffer)
// is had in Play, before the output is opened: memory that cannot be had makes
// Play answer -1 with nothing opened and no thread.
TEST_F(TPluginFault, RenderBuffersThatCannotBeHadFailPlayBeforeTheOutputOpens)
{
    // The song loads within the limit; its render buffers do not.
    const std::string path = WriteSongFile("song.dmf", SteadySong(8, "Light", "Song"));
    ExpectPlayRefusedWithoutMemory(path);
    Module->Stop();
    EXPECT_TRUE(Host.Calls().empty());
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
    PlayToEnd(path);
}

// Once Play has answered 0 the player allocates nothing: memory running short
// then (here: every request over ScarceBytes refused from before the first mix on)
// does not end the song, nor the host.
TEST_F(TPluginFault, PlayerNeedsNoMemoryOnceItRuns)
{
    const std::string path = WriteSongFile("song.dmf", SteadySong(30));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(0);
    ASSERT_EQ(Module->Play(path.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    EXPECT_EQ(Host.Count("SAAddPCMData"), 0) << "the player mixed before the output had room";
    {
        TAllocationLimit limit(ScarceBytes);
        Host.SetClock(TOutputClock::Instant);
        Host.SetCapacity(TRecordingHost::AmpleRoom);
        ASSERT_TRUE(Host.WaitForEndOfFile());
        EXPECT_EQ(TAllocationLimit::Refused(), 0);
    }
    EXPECT_TRUE(Host.Pcm() == RenderRaw(path));
}

// Whatever fails on the player thread (here a host function that throws)
// ends the song as its end does: visualisation and output released, one
// end-of-file message so that the host moves on, no box at the next Stop.
TEST_F(TPluginFault, FailureOnThePlayerThreadEndsTheSongAndTheHostMovesOn)
{
    const std::string path = WriteSongFile("song.dmf", SteadySong(30));
    Host.FailVisualisation(true);
    ASSERT_EQ(Module->Play(path.c_str()), 0);
    ASSERT_TRUE(Host.WaitForEndOfFile());
    Host.FailVisualisation(false);
    Module->Stop();
    EXPECT_EQ(Host.Count("SAAddPCMData"), 1);
    EXPECT_EQ(Host.Count("Write"), 0);
    EXPECT_EQ(Host.Events(), (std::vector<std::string>{"Open", "SetInfo", "SAVSAInit", "VSASetInfo", "SetVolume",
                                                       "SAAddPCMData", "SAVSADeInit", "Close", "PostMessage"}));
    EXPECT_EQ(Host.EndOfFileMessages(), 1);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
    EXPECT_FALSE(DataModule1->CurrentSong()->Playing);

    // Stop asked while it fails: the song ends, nothing is posted.
    Host.ClearCalls();
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Module->Play(path.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Host.FailVisualisation(true);
    Module->Stop();
    Host.FailVisualisation(false);
    EXPECT_EQ(Host.Count("Close"), 1);
    EXPECT_EQ(Host.EndOfFileMessages(), 0);

    Host.ClearCalls();
    Host.SetClock(TOutputClock::Instant);
    Host.SetCapacity(TRecordingHost::AmpleRoom);
    PlayToEnd(path);
}

// A song that still plays once its thread has gone: the box that says so is
// modal to the host's main window.
TEST_F(TPluginFault, StopsBoxIsOwnedByTheHostsMainWindow)
{
    DataModule1->CurrentSong()->Playing = true;
    Module->Stop();
    DataModule1->CurrentSong()->Playing = false;
    const TPlatformRecord record = PlatformRecordSnapshot();
    ASSERT_EQ(record.MessageBoxes.size(), 1u);
    EXPECT_EQ(record.MessageBoxes[0].Text, "ARGHHHH!");
    EXPECT_EQ(record.MessageBoxes[0].Owner, Host.MainWindow());
    EXPECT_NE(record.MessageBoxes[0].Owner, nullptr);
}

TEST_F(TPluginFault, StopMeetingTheNaturalEndEndsPlaybackOnce)
{
    // A song of a few ticks into an output that plays at once: Stop lands
    // before, during and after the drain. Whichever wins, the output is
    // closed once, at most one end-of-file message is posted, and none after
    // Stop has returned.
    const std::string song = WriteSongFile("short.dmf", TenMsSong(2));
    Host.SetClock(TOutputClock::Instant);
    for (int round = 0; round < 40; ++round) {
        Host.ClearCalls();
        const int before = Host.EndOfFileMessages();
        ASSERT_EQ(Module->Play(song.c_str()), 0);
        std::this_thread::sleep_for(std::chrono::microseconds(round * 150));
        Module->Stop();
        const int after = Host.EndOfFileMessages();
        EXPECT_LE(after - before, 1) << round;
        EXPECT_EQ(Host.Count("Close"), 1) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(Host.EndOfFileMessages(), after) << round;
    }
}

TEST(PluginLibraryFault, QuitAndUnloadRightAfterStop)
{
    // Playing, paused, or in the middle of a seek: Stop ends the thread, so
    // the host may Quit and unload the library at once.
    SetDebugLogConsole(nullptr);
    for (int variant = 0; variant < 3; ++variant) {
        void* library = dlopen(MORVEL_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto get = reinterpret_cast<WinampGetInModule2Function>(dlsym(library, "winampGetInModule2"));
        ASSERT_NE(get, nullptr);
        In_Module* module = get();
        TRecordingHost host;
        host.Attach(*module);
        module->Init();
        ASSERT_EQ(module->Play(ExampleSong.c_str()), 0);
        ASSERT_TRUE(host.WaitForCall("Write"));
        if (variant == 1) {
            module->Pause();
        }
        if (variant == 2) {
            module->SetOutputTime(40000);
        }
        module->Stop();
        module->Quit();
        EXPECT_EQ(dlclose(library), 0) << dlerror() << " variant " << variant;
        EXPECT_EQ(host.Count("Close"), 1) << variant;
    }
    SetDebugLogConsole(stdout);
}

// Winamp 5's converter opening a song while no single allocation over ScarceBytes
// can be had: handle 0, the host's size untouched, no decoder and no file left
// open; with memory the same song opens.
TEST_F(TPluginFault, ExtendedReadWithoutMemoryOpensNothing)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(8, "Without", "Memory"));
    const size_t open = ExtendedReadHandles().Count();
    int size = -7;
    intptr_t handle = -1;
    {
        TAllocationLimit limit(ScarceBytes);
        handle = winampGetExtendedRead_open(song.c_str(), &size, nullptr, nullptr, nullptr);
        EXPECT_GT(TAllocationLimit::Refused(), 0);
    }
    EXPECT_EQ(handle, 0);
    EXPECT_EQ(size, -7);
    EXPECT_EQ(ExtendedReadHandles().Count(), open);
    EXPECT_FALSE(FileHeldOpen(song));
    handle = winampGetExtendedRead_open(song.c_str(), &size, nullptr, nullptr, nullptr);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(ExtendedReadHandles().Count(), open + 1);
    winampGetExtendedRead_close(handle);
    EXPECT_EQ(ExtendedReadHandles().Count(), open);
}

}  // namespace
