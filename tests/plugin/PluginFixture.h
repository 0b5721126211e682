#pragma once
// The plug-in driven through its entry points by a recording host: a fresh
// data module per test; songs and reference figures come from
// tests/support/PluginReference.h. The entry points are called directly on the
// test's thread, which is the host's; the verbs have the names the Windows
// host's fixture gives them, so that one set of scenarios runs in both.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "module/LoadLog.h"
#include "platform/PlatformRecord.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"
#include "plugin/SongInfoWindowRecord.h"
#include "plugin/sdk/WinampExtendedExports.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/PluginHostVerbs.h"
#include "tests/support/PluginReference.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TaskThread.h"
#include "tests/support/Winamp5Exports.h"

inline const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

class TPluginTest : public ::testing::Test, public TPluginHostVerbs<TPluginTest> {
protected:
    friend class TPluginHostVerbs<TPluginTest>;

    void SetUp() override
    {
        SetDebugLogConsole(nullptr);
        DestroyDataModule1();
        CreateDataModule1();
        PlatformRecordReset();
        SongInfoWindowRecordReset();
        HostThreadId = std::this_thread::get_id();
        // The host names a settings file of the test's own, which no test
        // but the settings' writes.
        Host.SetSettingsFile(TempPath("winamp.ini"));
        Module = winampGetInModule2();
        Host.Attach(*Module);
        Module->Init();
    }

    void TearDown() override
    {
        // The playlist's thread first: nothing but this thread calls the plug-in from here on.
        HaltPlaylist();
        Tasks.reset();
        // A test that failed half-way may leave the player waiting for room or
        // for the output: Stop ends it in either case.
        Module->Stop();
        PlatformRecordShortenSleeps(1);
        if (!QuitDone) {
            Module->Quit();
        }
        DestroyDataModule1();
        SetDebugLogConsole(stdout);
        // Later tests write files of the same names.
        for (const std::string& path : Unreadable) {
            ::chmod(path.c_str(), 0600);
        }
    }

    void Quit()
    {
        Module->Quit();
        QuitDone = true;
    }

    // As Winamp starts again: the plug-in stopped, quit and made anew, and
    // its Init reads the host's settings file.
    void Restart()
    {
        Module->Stop();
        Module->Quit();
        DestroyDataModule1();
        CreateDataModule1();
        Module = winampGetInModule2();
        Host.Attach(*Module);
        Module->Init();
        QuitDone = false;
    }

    // The listener confirms the Config dialog with Chosen in its controls:
    // true once done. Natively the dialog is only recorded (and closes as by
    // Cancel), so its OK is done here as the real one does it.
    bool ConfirmConfig(const TSoundSettings& Chosen)
    {
        const size_t shown = PlatformRecordSnapshot().Dialogs.size();
        Module->Config(Host.MainWindow());
        EXPECT_EQ(PlatformRecordSnapshot().Dialogs.size(), shown + 1) << "Config showed no dialog";
        DataModule1->SoundSettings.Choose(Chosen);
        return true;
    }

    // The current song plays with these settings (what the host hears of
    // them is the PCM, which the scenario compares).
    void ExpectCurrentSongSound(const TSoundSettings& Sound)
    {
        const std::shared_ptr<TDmf> song = DataModule1->CurrentSong();
        ASSERT_TRUE(song);
        EXPECT_TRUE(song->Sound == Sound);
    }

    // ---- Entry points, on the test's thread ----
    int Play(const std::string& Path) { return Module->Play(Path.c_str()); }
    void Stop() { Module->Stop(); }
    void Pause() { Module->Pause(); }
    void UnPause() { Module->UnPause(); }
    int IsPaused() { return Module->IsPaused(); }
    int GetLength() { return Module->GetLength(); }
    int GetOutputTime() { return Module->GetOutputTime(); }
    void SetOutputTime(int Ms) { Module->SetOutputTime(Ms); }
    int IsOurFile(const char* Name) { return Module->IsOurFile(Name); }
    int InfoBox(const char* Name, HWND Parent = nullptr) { return Module->InfoBox(Name, Parent); }
    void GetFileInfo(const char* Name, char* Title, int* Length) { Module->GetFileInfo(Name, Title, Length); }

    // One of Winamp's outputs, its clock and the player's sleeps both ModelSpeed times real time.
    void UseModelOutput(TOutputModel Model, int BufferBytes)
    {
        PlatformRecordShortenSleeps(ModelSpeed);
        Host.UseModelOutput(Model, BufferBytes, ModelSpeed);
    }

    // ---- What differs from the Windows host ----
    std::thread::id HostThread() const { return HostThreadId; }
    // The stand-in main window records a message as it is posted: nothing is under way.
    void Settle() { }
    // The host's window thread, a thread of the test's: the stand-in window
    // receives messages on the player thread, where nothing may wait for it.
    void OnHostThread(std::function<void()> Task)
    {
        if (!Tasks) {
            Tasks = std::make_unique<TTaskThread>();
        }
        Tasks->Post(std::move(Task));
    }
    std::string ExampleSongPath() const { return ExampleSong; }
    // Winamp 5's exports: here linked into the test program.
    TWinamp5Exports Winamp5() const
    {
        return {&winampGetExtendedFileInfo,   &winampGetExtendedFileInfoW,    &winampGetExtendedRead_open,
                &winampGetExtendedRead_openW, &winampGetExtendedRead_getData, &winampGetExtendedRead_setTime,
                &winampGetExtendedRead_close};
    }
    // A file descriptor of this process is open on Path (an existing file).
    bool FileHeldOpen(const std::string& Path) const
    {
        std::error_code error;
        const std::filesystem::path file = std::filesystem::canonical(Path, error);
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
            std::error_code ignored;
            if (std::filesystem::read_symlink(entry.path(), ignored) == file) {
                return true;
            }
        }
        return false;
    }
    // Takes every permission from Path until the test ends; false when that
    // keeps nobody out (root reads it all the same).
    bool MakeUnreadable(const std::string& Path)
    {
        ::chmod(Path.c_str(), 0);
        Unreadable.push_back(Path);
        return ::geteuid() != 0;
    }

    static constexpr unsigned ModelSpeed = 10;

    TRecordingHost Host;  // outlives every player thread: TearDown stops them first
    std::unique_ptr<TTaskThread> Tasks;
    In_Module* Module = nullptr;
    bool QuitDone = false;
    std::thread::id HostThreadId;
    std::vector<std::string> Unreadable;
};
