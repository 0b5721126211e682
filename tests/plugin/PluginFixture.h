#pragma once
// The plug-in driven through its entry points by a recording host: a fresh
// data module per test; songs and reference figures come from
// support/PluginReference.h.

#include <gtest/gtest.h>

#include <string>

#include "module/LoadLog.h"
#include "player/DmfSong.h"
#include "plugin/DataModule.h"
#include "plugin/PluginPlatformRecord.h"
#include "plugin/WinampPluginRecords.h"
#include "support/PluginReference.h"
#include "support/RecordingHost.h"

inline const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";

class TPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDebugLogConsole(nullptr);
        DestroyDataModule1();
        CreateDataModule1();
        PlatformRecordReset();
        Module = winampGetInModule2();
        Host.Attach(*Module);
        Module->Init();
    }

    void TearDown() override
    {
        // A test that failed half-way may leave the player waiting for room or
        // for the output: Stop ends it in either case.
        Module->Stop();
        if (!QuitDone)
            Module->Quit();
        DestroyDataModule1();
        SetDebugLogConsole(stdout);
    }

    void Quit()
    {
        Module->Quit();
        QuitDone = true;
    }

    std::string FileTitle(const char* Name, int* Length = nullptr)
    {
        char title[512] = "untouched";
        int length = -12345;
        Module->GetFileInfo(Name, title, &length);
        if (Length)
            *Length = length;
        return title;
    }

    // Plays Path and waits until the song has ended by itself.
    void PlayToEnd(const std::string& Path)
    {
        const int before = Host.NextTrackCommands();
        ASSERT_EQ(Module->Play(Path.c_str()), 0);
        ASSERT_TRUE(Host.WaitForNextTrack(before + 1)) << "the song never ended";
    }

    TRecordingHost Host;  // outlives every player thread: TearDown stops them first
    In_Module* Module = nullptr;
    bool QuitDone = false;
};
