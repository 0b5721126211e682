// The descriptor the host asks for, and the entry points placed in it. Each
// entry point carries the host's call to the input plug-in component's event,
// or does the event's default when no handler is assigned. Nothing thrown
// inside ever reaches the host: each entry point answers a fixed value then.

#include <algorithm>
#include <utility>

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

// The host's call carried to the plug-in's handler for Event, the plug-in as
// its sender, when one is assigned; otherwise Default's answer, given the
// plug-in (null without its data module).
template <class TEvent, class TDefault, class... TArgs>
auto HandlerOr(TEvent TNoxWinAmpInputPlugin::*Event, TDefault&& Default, TArgs&&... Args)
{
    TNoxWinAmpInputPlugin* plugin = Plugin();
    if (plugin && (plugin->*Event).Assigned()) {
        return (plugin->*Event)(plugin, std::forward<TArgs>(Args)...);
    }
    return Default(plugin);
}

// The default of the events that do nothing without a handler.
void DoNothing(TNoxWinAmpInputPlugin*)
{
}

// Sets the pause flag the plug-in answers IsPaused with when no handler does.
void SetPaused(bool Paused)
{
    if (TNoxWinAmpInputPlugin* plugin = Plugin()) {
        plugin->FPaused = Paused;
    }
}

void Config(HWND ParentWindow)
{
    Guarded([&] { HandlerOr(&TNoxWinAmpInputPlugin::OnConfig, DoNothing, ParentWindow); });
}

void About(HWND ParentWindow)
{
    Guarded([&] { HandlerOr(&TNoxWinAmpInputPlugin::OnAbout, DoNothing, ParentWindow); });
}

void Init()
{
    Guarded([&] { HandlerOr(&TNoxWinAmpInputPlugin::OnInit, DoNothing); });
}

void Quit()
{
    Guarded([&] { HandlerOr(&TNoxWinAmpInputPlugin::OnQuit, DoNothing); });
}

void GetFileInfo(const char* File, char* Title, int* LengthMs)
{
    Guarded([&] {
        HandlerOr(
            &TNoxWinAmpInputPlugin::OnGetFileInfo,
            [&](TNoxWinAmpInputPlugin*) {
                if (LengthMs) {
                    *LengthMs = -1;
                }
            },
            File, Title, LengthMs);
    });
}

int InfoBox(const char* File, HWND ParentWindow)
{
    return Guarded(0, [&] {
        return HandlerOr(
            &TNoxWinAmpInputPlugin::OnInfoBox,
            [&](TNoxWinAmpInputPlugin* Component) {
                PlatformMessageBox(ParentWindow, File ? File : "", Component ? Component->Name : "");
                return 0;
            },
            File, ParentWindow);
    });
}

int IsOurFile(const char* FileName)
{
    return Guarded(0, [&] {
        return HandlerOr(
                   &TNoxWinAmpInputPlugin::OnIsOurFile, [](TNoxWinAmpInputPlugin*) { return false; }, FileName)
                   ? 1
                   : 0;
    });
}

int Play(const char* FileName)
{
    // -1 tells the host that this file cannot be played; it moves on.
    return Guarded(-1, [&] {
        if (!Plugin()) {
            return -1;
        }
        SetPaused(false);
        return HandlerOr(
            &TNoxWinAmpInputPlugin::OnPlay, [](TNoxWinAmpInputPlugin*) { return 1; }, FileName);
    });
}

void Pause()
{
    Guarded([&] {
        SetPaused(true);
        HandlerOr(&TNoxWinAmpInputPlugin::OnPause, DoNothing);
    });
}

void UnPause()
{
    Guarded([&] {
        SetPaused(false);
        HandlerOr(&TNoxWinAmpInputPlugin::OnUnPause, DoNothing);
    });
}

int IsPaused()
{
    return Guarded(0, [&] {
        return HandlerOr(&TNoxWinAmpInputPlugin::OnIsPaused,
                         [](TNoxWinAmpInputPlugin* Component) { return Component && Component->FPaused; })
                   ? 1
                   : 0;
    });
}

void Stop()
{
    Guarded([&] {
        SetPaused(false);
        HandlerOr(&TNoxWinAmpInputPlugin::OnStop, DoNothing);
    });
}

int GetLength()
{
    return Guarded(-1000, [&] {
        return HandlerOr(&TNoxWinAmpInputPlugin::OnGetLength, [](TNoxWinAmpInputPlugin*) { return -1000; });
    });
}

int GetOutputTime()
{
    return Guarded(0, [&] {
        return HandlerOr(&TNoxWinAmpInputPlugin::OnGetOutputTime, [](TNoxWinAmpInputPlugin*) {
            Out_Module* out = HostOutput();
            return out ? out->GetOutputTime() : 0;
        });
    });
}

void SetOutputTime(int TimeMs)
{
    Guarded([&] { HandlerOr(&TNoxWinAmpInputPlugin::OnSetOutputTime, DoNothing, TimeMs); });
}

// A setting of the host's output (volume, pan): the plug-in's handler for
// Event takes it when one is assigned, else the output's own Set.
void SetOutputValue(TNoxWinAmpOutputPluginSetValueEvent TNoxWinAmpInputPlugin::*Event, void (*Out_Module::*Set)(int),
                    int Value)
{
    Guarded([&] {
        HandlerOr(
            Event,
            [&](TNoxWinAmpInputPlugin*) {
                if (Out_Module* out = HostOutput()) {
                    (out->*Set)(Value);
                }
            },
            Value);
    });
}

void SetVolume(int Volume)
{
    SetOutputValue(&TNoxWinAmpInputPlugin::OnSetVolume, &Out_Module::SetVolume, Volume);
}

void SetPan(int Pan)
{
    SetOutputValue(&TNoxWinAmpInputPlugin::OnSetPan, &Out_Module::SetPan, Pan);
}

void EQSet(int On, char Data[10], int PreAmp)
{
    Guarded([&] {
        TNoxWinAmpInputPluginEQData bands{};
        if (Data) {
            std::copy(Data, Data + bands.size(), bands.begin());
        }
        HandlerOr(&TNoxWinAmpInputPlugin::OnEQSet, DoNothing, On, bands, PreAmp);
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
