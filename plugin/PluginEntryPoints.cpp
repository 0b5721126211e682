// The descriptor the host asks for, and the entry points placed in it. Each
// entry point carries the host's call to the input plug-in component's event,
// or does the event's default when no handler is assigned. Nothing thrown
// inside ever reaches the host: each entry point answers a fixed value then.

#include <algorithm>

#include "platform/PlatformExport.h"
#include "platform/PlatformSystem.h"
#include "plugin/DataModule.h"
#include "plugin/EntryGuard.h"

namespace {

In_Module Descriptor{};

TNoxWinAmpInputPlugin* Plugin()
{
    return DataModule1 ? DataModule1->morvelplugin : nullptr;
}

Out_Module* HostOutput()
{
    return Descriptor.outMod;
}

void Config(HWND ParentWindow)
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnConfig.Assigned()) {
            plugin->OnConfig(plugin, ParentWindow);
        }
    });
}

void About(HWND ParentWindow)
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnAbout.Assigned()) {
            plugin->OnAbout(plugin, ParentWindow);
        }
    });
}

void Init()
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnInit.Assigned()) {
            plugin->OnInit(plugin);
        }
    });
}

void Quit()
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnQuit.Assigned()) {
            plugin->OnQuit(plugin);
        }
    });
}

void GetFileInfo(const char* File, char* Title, int* LengthMs)
{
    Guarded([&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnGetFileInfo.Assigned()) {
            plugin->OnGetFileInfo(plugin, File, Title, LengthMs);
        } else if (LengthMs) {
            *LengthMs = -1;
        }
    });
}

int InfoBox(const char* File, HWND ParentWindow)
{
    return Guarded(0, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnInfoBox.Assigned()) {
            return plugin->OnInfoBox(plugin, File, ParentWindow);
        }
        PlatformMessageBox(ParentWindow, File ? File : "", plugin ? plugin->Name : "");
        return 0;
    });
}

int IsOurFile(const char* FileName)
{
    return Guarded(0, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnIsOurFile.Assigned()) {
            return plugin->OnIsOurFile(plugin, FileName) ? 1 : 0;
        }
        return 0;
    });
}

int Play(const char* FileName)
{
    // -1 tells the host that this file cannot be played; it moves on.
    return Guarded(-1, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (!plugin) {
            return -1;
        }
        plugin->FPaused = false;
        if (plugin->OnPlay.Assigned()) {
            return plugin->OnPlay(plugin, FileName);
        }
        return 1;
    });
}

void Pause()
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin()) {
            plugin->FPaused = true;
            if (plugin->OnPause.Assigned()) {
                plugin->OnPause(plugin);
            }
        }
    });
}

void UnPause()
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin()) {
            plugin->FPaused = false;
            if (plugin->OnUnPause.Assigned()) {
                plugin->OnUnPause(plugin);
            }
        }
    });
}

int IsPaused()
{
    return Guarded(0, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (!plugin) {
            return 0;
        }
        if (plugin->OnIsPaused.Assigned()) {
            return plugin->OnIsPaused(plugin) ? 1 : 0;
        }
        return plugin->FPaused ? 1 : 0;
    });
}

void Stop()
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin()) {
            plugin->FPaused = false;
            if (plugin->OnStop.Assigned()) {
                plugin->OnStop(plugin);
            }
        }
    });
}

int GetLength()
{
    return Guarded(-1000, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnGetLength.Assigned()) {
            return plugin->OnGetLength(plugin);
        }
        return -1000;
    });
}

int GetOutputTime()
{
    return Guarded(0, [&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnGetOutputTime.Assigned()) {
            return plugin->OnGetOutputTime(plugin);
        }
        Out_Module* out = HostOutput();
        return out ? out->GetOutputTime() : 0;
    });
}

void SetOutputTime(int TimeMs)
{
    Guarded([&] {
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnSetOutputTime.Assigned()) {
            plugin->OnSetOutputTime(plugin, TimeMs);
        }
    });
}

void SetVolume(int Volume)
{
    Guarded([&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnSetVolume.Assigned()) {
            plugin->OnSetVolume(plugin, Volume);
        } else if (Out_Module* out = HostOutput()) {
            out->SetVolume(Volume);
        }
    });
}

void SetPan(int Pan)
{
    Guarded([&] {
        TNoxWinAmpInputPlugin* plugin = Plugin();
        if (plugin && plugin->OnSetPan.Assigned()) {
            plugin->OnSetPan(plugin, Pan);
        } else if (Out_Module* out = HostOutput()) {
            out->SetPan(Pan);
        }
    });
}

void EQSet(int On, char Data[10], int PreAmp)
{
    Guarded([&] {
        TNoxWinAmpInputPluginEQData bands{};
        if (Data) {
            std::copy(Data, Data + bands.size(), bands.begin());
        }
        if (TNoxWinAmpInputPlugin* plugin = Plugin(); plugin && plugin->OnEQSet.Assigned()) {
            plugin->OnEQSet(plugin, On, bands, PreAmp);
        }
    });
}

}  // namespace

extern "C" MORVEL_EXPORT In_Module* winampGetInModule2()
{
    try {
        CreateDataModule1();
    } catch (...) {
        // Without its data module every entry point does its default.
    }
    TNoxWinAmpInputPlugin* plugin = Plugin();
    Descriptor.version = InModuleVersion;
    if (plugin) {
        Descriptor.description = const_cast<char*>(plugin->Description().c_str());
        Descriptor.FileExtensions = const_cast<char*>(plugin->FileExtensions().c_str());
        Descriptor.is_seekable = plugin->Seekable() ? 1 : 0;
        Descriptor.UsesOutputPlug = plugin->UsesOutput() ? 1 : 0;
    }
    Descriptor.Config = Config;
    Descriptor.About = About;
    Descriptor.Init = Init;
    Descriptor.Quit = Quit;
    Descriptor.GetFileInfo = GetFileInfo;
    Descriptor.InfoBox = InfoBox;
    Descriptor.IsOurFile = IsOurFile;
    Descriptor.Play = Play;
    Descriptor.Pause = Pause;
    Descriptor.UnPause = UnPause;
    Descriptor.IsPaused = IsPaused;
    Descriptor.Stop = Stop;
    Descriptor.GetLength = GetLength;
    Descriptor.GetOutputTime = GetOutputTime;
    Descriptor.SetOutputTime = SetOutputTime;
    Descriptor.SetVolume = SetVolume;
    Descriptor.SetPan = SetPan;
    Descriptor.EQSet = EQSet;
    if (plugin) {
        plugin->AttachModule(&Descriptor);
    }
    return &Descriptor;
}
