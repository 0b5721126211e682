#pragma once
// A test drives the plug-in's DLL as Winamp does: loads it, asks its export
// for the record, fills the host's fields (main window, output, visualisation,
// DSP) and calls Init; at the end Stop, Quit and FreeLibrary. The entry
// points are called on the host's UI thread, as Winamp calls them (file
// information also comes from threads of their own in one test). The verbs
// are those of the in-process fixture, so that one set of scenarios runs in
// both.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ConfigDialogDriver.h"
#include "tests/support/PluginHostVerbs.h"
#include "tests/support/PluginReference.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/Winamp5Exports.h"
#include "tests/wahost/HeldFile.h"
#include "tests/wahost/PluginDll.h"
#include "tests/wahost/WahostSession.h"

class TWahostTest : public ::testing::Test, public TPluginHostVerbs<TWahostTest> {
protected:
    friend class TPluginHostVerbs<TWahostTest>;

    void SetUp() override
    {
        StraysBefore = MainWindow().StrayCommands();
        MainWindow().TakeMessageBoxes();
        // The host names a settings file of the test's own, which no test
        // but the settings' writes.
        Host.SetSettingsFile(TempPath("winamp.ini"));
        Host.UseMainWindow(MainWindow().Handle());
        MainWindow().SetReceiver(&Host);
        if (StartAtSetUp) {
            ASSERT_NO_FATAL_FAILURE(Load());
            Init();
        }
    }

    void TearDown() override
    {
        // The playlist runs on the UI thread: after this it calls the plug-in no more.
        Ui([&] { HaltPlaylist(); });
        if (Module && Dll.Loaded()) {
            // A test that failed half-way may leave the player waiting for
            // room or for the output: Stop ends it in either case.
            Stop();
            if (Initialised) {
                Quit();
            }
        }
        Unload();
        HeldFiles.clear();
        MainWindow().Settle();
        MainWindow().SetReceiver(nullptr);
        EXPECT_EQ(MainWindow().TakeMessageBoxes(), std::vector<std::string>{}) << "message boxes were shown";
        EXPECT_EQ(MainWindow().StrayCommands(), StraysBefore) << "commands reached the main window after the test";
    }

    // What Winamp does when it starts: load, ask for the record, fill the host's fields.
    void Load()
    {
        const std::string failure = Dll.Load(Options().Plugin);
        ASSERT_EQ(failure, "");
        Module = Dll.GetModule();
        ASSERT_NE(Module, nullptr);
        Module->hDllInstance = Dll.Handle();
        Host.Attach(*Module);
    }

    void Unload()
    {
        Dll.Unload();
        Module = nullptr;
        Initialised = false;
    }

    void Ui(const std::function<void()>& Task) { MainWindow().Run(Task); }

    // As Winamp starts again: the plug-in stopped, quit, unloaded and loaded
    // anew, and its Init reads the host's settings file.
    void Restart()
    {
        Stop();
        Quit();
        Unload();
        ASSERT_NO_FATAL_FAILURE(Load());
        Init();
    }

    // The listener opens Config from the main window, sets the dialog's
    // controls to Chosen and presses OK: true once done, false when no
    // dialog can be shown (no display).
    bool ConfirmConfig(const TSoundSettings& Chosen)
    {
        if (!Options().Display) {
            return false;
        }
        std::thread host([&] { Ui([&] { Module->Config(MainWindow().Handle()); }); });
        const HWND dialog = WaitForConfigDialog();
        if (dialog) {
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), MainWindow().Handle());
            SetConfigDialog(dialog, Chosen);
            ClickConfigButton(dialog, IDOK);
        }
        host.join();
        EXPECT_NE(dialog, nullptr) << "Config showed no dialog";
        return dialog != nullptr;
    }

    // Outside the DLL the song's settings are heard only: the scenario
    // compares the PCM.
    void ExpectCurrentSongSound(const TSoundSettings&) { }

    // ---- Entry points, on the UI thread ----
    void Init()
    {
        Ui([&] { Module->Init(); });
        Initialised = true;
    }
    void Quit()
    {
        Ui([&] { Module->Quit(); });
        Initialised = false;
    }
    int Play(const std::string& Path)
    {
        return UiResult([&] { return Module->Play(Path.c_str()); });
    }
    void Stop()
    {
        Ui([&] { Module->Stop(); });
    }
    void Pause()
    {
        Ui([&] { Module->Pause(); });
    }
    void UnPause()
    {
        Ui([&] { Module->UnPause(); });
    }
    int IsPaused()
    {
        return UiResult([&] { return Module->IsPaused(); });
    }
    int GetLength()
    {
        return UiResult([&] { return Module->GetLength(); });
    }
    int GetOutputTime()
    {
        return UiResult([&] { return Module->GetOutputTime(); });
    }
    void SetOutputTime(int Ms)
    {
        Ui([&] { Module->SetOutputTime(Ms); });
    }
    int IsOurFile(const char* Name)
    {
        return UiResult([&] { return Module->IsOurFile(Name); });
    }
    int InfoBox(const char* Name, HWND Parent = nullptr)
    {
        return UiResult([&] { return Module->InfoBox(Name, Parent); });
    }
    void GetFileInfo(const char* Name, char* Title, int* Length)
    {
        Ui([&] { Module->GetFileInfo(Name, Title, Length); });
    }

    // One of Winamp's outputs, its clock ModelSpeed times real time (the
    // DLL's sleeps are real: the output's buffer empties sooner than the
    // player looks, as an underrun would).
    void UseModelOutput(TOutputModel Model, int BufferBytes) { Host.UseModelOutput(Model, BufferBytes, ModelSpeed); }

    // ---- What differs from the in-process fixture ----
    std::thread::id HostThread() const { return MainWindow().Thread(); }
    // Until the messages the plug-in posted have reached the main window.
    void Settle() { MainWindow().Settle(); }
    // The host's UI thread, which also receives the plug-in's messages.
    void OnHostThread(const std::function<void()>& Task) { Ui(Task); }
    // Empty when the command line named none.
    std::string ExampleSongPath() const { return Options().ExampleSong; }
    // Winamp 5's exports, looked up by name in the DLL as Winamp 5 does.
    TWinamp5Exports Winamp5() const
    {
        return LookUpWinamp5Exports([this](const char* Name) { return Dll.Symbol(Name); });
    }
    // A handle of this process holds Path (an existing file) open: no one can have it to himself.
    bool FileHeldOpen(const std::string& Path) const { return !THeldFile(Path, THeldFile::Exclusive).Held(); }
    // Holds Path open without sharing, as another program may, until the test ends.
    bool MakeUnreadable(const std::string& Path)
    {
        HeldFiles.push_back(std::make_unique<THeldFile>(Path, THeldFile::Exclusive));
        EXPECT_TRUE(HeldFiles.back()->Held()) << Path << " could not be held";
        return HeldFiles.back()->Held();
    }

    template <typename TTask> int UiResult(const TTask& Task)
    {
        int result = 0;
        Ui([&] { result = Task(); });
        return result;
    }

    static constexpr unsigned ModelSpeed = 10;

    bool StartAtSetUp = true;  // load and Init before each test
    TRecordingHost Host;       // outlives every player thread: TearDown stops them first
    TPluginDll Dll{MainWindow()};
    In_Module* Module = nullptr;
    bool Initialised = false;
    int StraysBefore = 0;
    std::vector<std::unique_ptr<THeldFile>> HeldFiles;
};

// The same, with nothing loaded at the start of the test.
class TWahostUnloadedTest : public TWahostTest {
protected:
    TWahostUnloadedTest() { StartAtSetUp = false; }
};
