#pragma once
// The plug-in's one object: its components, the song information form, the
// playback driver's state and every handler of the input plug-in's events.

#include <memory>
#include <mutex>

#include "plugin/PlayerShared.h"
#include "plugin/PluginSoundSettings.h"
#include "plugin/SongInfoForm.h"
#include "plugin/kit/NoxWinAmpControl.h"
#include "plugin/kit/NoxWinAmpInputPlugin.h"

class TDmf;
class TPlayerThread;

class TDataModule1 : public TComponent, public TPlayerShared {
public:
    explicit TDataModule1(TComponent* Owner);
    ~TDataModule1() override;

    TNoxWinAmpControl* plugincontrol;
    TNoxWinAmpInputPlugin* morvelplugin;
    Tsonginfoform* songinfoform = nullptr;  // made by Init

    // ---- Handlers ------------------------------------------------------------
    void morvelpluginInit(TSender Sender);
    void morvelpluginQuit(TSender Sender);
    void morvelpluginConfig(TSender Sender, HWND ParentWindow);
    void morvelpluginAbout(TSender Sender, HWND ParentWindow);
    void morvelpluginGetFileInfo(TSender Sender, const char* FileName, char* Title, int* LengthMS);
    int morvelpluginInfoBox(TSender Sender, const char* FileName, HWND ParentWindow);
    bool morvelpluginIsOurFile(TSender Sender, const char* FileName);
    int morvelpluginPlay(TSender Sender, const char* FileName);
    void morvelpluginPause(TSender Sender);
    void morvelpluginUnPause(TSender Sender);
    bool morvelpluginIsPaused(TSender Sender);
    void morvelpluginStop(TSender Sender);
    int morvelpluginGetLength(TSender Sender);
    int morvelpluginGetOutputTime(TSender Sender);
    void morvelpluginSetOutputTime(TSender Sender, int Value);
    void morvelpluginSetVolume(TSender Sender, int Value);

    // ---- Driver state --------------------------------------------------------
    // The live song. Play replaces it while host threads may read it (file
    // information), so readers take a reference of their own.
    std::shared_ptr<TDmf> CurrentSong() const;
    void SetCurrentSong(std::shared_ptr<TDmf> Song);

    // StopRequested, Paused, PositionMS, SeekTargetMS and OutputWrite come
    // from TPlayerShared: the part of this state the thread sees.
    std::unique_ptr<TPlayerThread> PlayerThread;

    // The listener's sound settings: read at Init, chosen in the Config
    // dialog; each Play gives its song a copy.
    TPluginSoundSettings SoundSettings;

    Out_Module* OutMod() const;
    In_Module* Module() const { return morvelplugin->FModule; }

private:
    void EndPlayerThread();
    // The host's output paused (1) or resumed (0), when it can pause.
    void PauseOutput(int Value);
    // Ends the running song as Stop does.
    void StopPlayback();
    std::string FontPath() const;

    mutable std::mutex SongSwap;  // guards the pointer FCurrentSong only
    std::shared_ptr<TDmf> FCurrentSong;
};

// The one data module: made when the library loads, destroyed when it unloads.
extern TDataModule1* DataModule1;
void CreateDataModule1();
void DestroyDataModule1();
// The sound settings in force: the data module's, the defaults without one.
// For Winamp 5's exports, which stand beside the data module.
TSoundSettings PluginSoundSettings();
