// What the host may do that is not a plain play of a good file: files that
// cannot be opened or hold no song, calls with nothing playing, and Play
// while a song plays.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginRobustness = TPluginTest;

TEST_F(TPluginRobustness, FileThatCannotBeOpenedIsRefusedBeforeTheOutputIsTouched)
{
    const std::string good = WriteSongFile("good.dmf", SteadySong(6, "Good", "Song"));
    PlayToEnd(good);
    const std::string folder = TempPath("folder.dmf");
    std::filesystem::create_directories(folder);
    std::vector<std::string> names = {TempPath("missing.dmf"), folder};
    const std::string locked = WriteSongFile("locked.dmf", SteadySong(6));
    ::chmod(locked.c_str(), 0);
    if (::geteuid() != 0)  // root reads it all the same
        names.push_back(locked);

    for (const std::string& name : names) {
        Host.ClearCalls();
        EXPECT_EQ(Module->Play(name.c_str()), -1) << name;
        EXPECT_TRUE(Host.Calls().empty()) << name << ": the host was called";
        EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, 1) << name;
        // The song that played before is gone: the current song is empty.
        int length = -1;
        EXPECT_EQ(FileTitle("", &length), " - ") << name;
        EXPECT_EQ(length, 0) << name;
        EXPECT_EQ(Module->GetLength(), 0) << name;
        Module->Stop();
        EXPECT_TRUE(Host.Calls().empty()) << name;
        EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty()) << name;
    }
    ::chmod(locked.c_str(), 0600);
}

// A load that finds no song completes: the player renders one block, finds
// the song not playing and ends it as at a natural end, so the host moves on.
TEST_F(TPluginRobustness, FileWithoutASongEndsAtOnceAndTheHostMovesOn)
{
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const std::vector<uint8_t> whole = WriteSong(SteadySong(30));
    const std::vector<uint8_t> half(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(whole.size() / 2));
    const std::vector<std::string> files = {WriteFile("empty.dmf", {}), WriteFile("noise.dmf", noise),
                                            WriteFile("half.dmf", half)};
    for (const std::string& file : files) {
        Host.ClearCalls();
        PlayToEnd(file);
        Module->Stop();
        EXPECT_EQ(Host.NextTrackCommands(), 1) << file;
        EXPECT_EQ(Host.Count("Close"), 1) << file;
        int length = -1;
        const std::string title = FileTitle(file.c_str(), &length);
        EXPECT_EQ(title, FileTitle("", nullptr)) << file;
        EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty()) << file;
    }
    Host.ClearCalls();
    PlayToEnd(files[0]);
    EXPECT_EQ(Host.Count("Write"), 1) << "the empty file renders one block";
}

TEST_F(TPluginRobustness, TransportCallsWithNothingPlayingAreHarmless)
{
    Module->Stop();
    Module->Pause();
    EXPECT_EQ(Module->IsPaused(), 1);
    Module->UnPause();
    EXPECT_EQ(Module->IsPaused(), 0);
    Module->SetOutputTime(1000);
    EXPECT_EQ(Module->GetLength(), 0);
    EXPECT_EQ(Module->GetOutputTime(), 0);
    Module->Stop();
    Module->Stop();
    EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, 0);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
    EXPECT_EQ(Host.NextTrackCommands(), 0);
}

TEST_F(TPluginRobustness, AbsentNameMeansTheCurrentSong)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(6, "Absent", "Name"));
    PlayToEnd(song);
    EXPECT_EQ(FileTitle(nullptr, nullptr), "Absent - Name");
    EXPECT_EQ(Module->InfoBox(nullptr, nullptr), 0);
    EXPECT_EQ(PlatformRecordSnapshot().InfoWindow.Title, "Absent - Name");
}

// A host that plays again without stopping: the running song ends as at
// Stop (no command for it) and the new one plays.
TEST_F(TPluginRobustness, PlayWhilePlayingEndsTheRunningSongFirst)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(60, "First", "A"));
    const std::string second = WriteSongFile("second.dmf", SteadySong(9, "Second", "B"));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Module->Play(first.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Host.SetClock(TOutputClock::Instant);
    Host.SetCapacity(TRecordingHost::AmpleRoom);
    PlayToEnd(second);
    Module->Stop();
    EXPECT_EQ(Host.NextTrackCommands(), 1);
    EXPECT_EQ(Host.Count("Open"), 2);
    EXPECT_EQ(Host.Count("Close"), 2);
    EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, 2);
    EXPECT_EQ(FileTitle(""), "Second - B");
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
}

// Handlers that throw, as a failing load would: nothing reaches the host.
struct TThrowingHandlers {
    void Notify(TSender) { throw std::runtime_error("notify"); }
    void Window(TSender, HWND) { throw std::runtime_error("window"); }
    void FileInfo(TSender, const char*, char*, int*) { throw std::runtime_error("file information"); }
    int InfoBox(TSender, const char*, HWND) { throw std::runtime_error("information box"); }
    bool Check(TSender, const char*) { throw std::runtime_error("check"); }
    int Play(TSender, const char*) { throw 42; }  // not even an exception class
    bool Boolean(TSender) { throw std::runtime_error("boolean"); }
    int Get(TSender) { throw std::bad_alloc(); }
    void Set(TSender, int) { throw std::runtime_error("set"); }
    void Equaliser(TSender, int, TNoxWinAmpInputPluginEQData&, int) { throw std::runtime_error("equaliser"); }
};

TEST_F(TPluginRobustness, HandlerErrorsNeverReachTheHost)
{
    TThrowingHandlers handlers;
    TThrowingHandlers* h = &handlers;
    TNoxWinAmpInputPlugin& plugin = *DataModule1->morvelplugin;
    plugin.OnInit = plugin.OnQuit = plugin.OnPause = plugin.OnUnPause = plugin.OnStop =
        TNotifyEvent(h, &TThrowingHandlers::Notify);
    plugin.OnConfig = plugin.OnAbout = TNoxWinAmpOutputPluginWindowEvent(h, &TThrowingHandlers::Window);
    plugin.OnGetFileInfo = TNoxWinAmpInputPluginGetFileInfoEvent(h, &TThrowingHandlers::FileInfo);
    plugin.OnInfoBox = TNoxWinAmpInputPluginInfoBoxEvent(h, &TThrowingHandlers::InfoBox);
    plugin.OnIsOurFile = TNoxWinAmpInputPluginFileNameCheckEvent(h, &TThrowingHandlers::Check);
    plugin.OnPlay = TNoxWinAmpInputPluginPlayEvent(h, &TThrowingHandlers::Play);
    plugin.OnIsPaused = TNoxWinAmpOutputPluginBooleanEvent(h, &TThrowingHandlers::Boolean);
    plugin.OnGetLength = plugin.OnGetOutputTime = TNoxWinAmpOutputPluginGetValueEvent(h, &TThrowingHandlers::Get);
    plugin.OnSetOutputTime = plugin.OnSetVolume = plugin.OnSetPan =
        TNoxWinAmpOutputPluginSetValueEvent(h, &TThrowingHandlers::Set);
    plugin.OnEQSet = TNoxWinAmpInputPluginEQSetEvent(h, &TThrowingHandlers::Equaliser);

    char title[64] = "untouched";
    int length = 0;
    char bands[10] = {};
    EXPECT_NO_THROW(Module->Init());
    EXPECT_NO_THROW(Module->Config(nullptr));
    EXPECT_NO_THROW(Module->About(nullptr));
    EXPECT_NO_THROW(Module->GetFileInfo("", title, &length));
    EXPECT_NO_THROW(Module->InfoBox("", nullptr));
    EXPECT_NO_THROW(Module->IsOurFile("song.dmf"));
    EXPECT_NO_THROW(Module->Play("song.dmf"));
    EXPECT_NO_THROW(Module->Pause());
    EXPECT_NO_THROW(Module->UnPause());
    EXPECT_NO_THROW(Module->IsPaused());
    EXPECT_NO_THROW(Module->GetLength());
    EXPECT_NO_THROW(Module->GetOutputTime());
    EXPECT_NO_THROW(Module->SetOutputTime(10));
    EXPECT_NO_THROW(Module->SetVolume(10));
    EXPECT_NO_THROW(Module->SetPan(10));
    EXPECT_NO_THROW(Module->EQSet(1, bands, 0));
    EXPECT_NO_THROW(Module->Stop());
    EXPECT_NO_THROW(Quit());
}

}  // namespace
