#include "host/play/HostPluginLibrary.h"

#include "platform/PlatformFile.h"
#include "platform/PlatformPath.h"
#include "platform/PlatformSystem.h"

namespace {

void SaVsaInit(int, int)
{
}
void SaVsaDeInit()
{
}
void SaAddPcmData(void*, int, int, int)
{
}
int SaGetMode()
{
    return 0;
}
int SaAdd(void*, int, int)
{
    return 0;
}
void VsaAddPcmData(void*, int, int, int)
{
}
int VsaGetMode(int* SpectrumChannels, int* WaveChannels)
{
    if (SpectrumChannels) {
        *SpectrumChannels = 0;
    }
    if (WaveChannels) {
        *WaveChannels = 0;
    }
    return 0;
}
int VsaAdd(void*, int)
{
    return 0;
}
void VsaSetInfo(int, int)
{
}
int DspIsActive()
{
    return 0;
}
int DspDoSamples(short*, int Frames, int, int, int)
{
    return Frames;
}
void SetInfo(int, int, int, int)
{
}

}  // namespace

std::vector<std::string> PluginSearchPaths()
{
    constexpr const char* library = "libmorvel_plugin.so";
    const std::string program = PlatformProgramPath();
    if (program.empty()) {
        return {std::string("./") + library};
    }
    const std::string folder = PlatformFolderPart(program);
    return {folder + library, folder + MORVEL_PLUGIN_INSTALL_DIR + "/" + library};
}

std::string DefaultPluginPath()
{
    for (const std::string& path : PluginSearchPaths()) {
        if (PlatformIsFile(path)) {
            return path;
        }
    }
    return {};
}

bool TPluginLibrary::Load(const std::string& Path, std::string& Error)
{
    Unload();
    if (!Library.Load(Path, Error)) {
        Error = "cannot load the plug-in " + Path + ": " + Error;
        return false;
    }
    auto entry = reinterpret_cast<WinampGetInModule2Function>(Library.Symbol("winampGetInModule2"));
    In_Module* record = entry ? entry() : nullptr;
    if (!record || record->version != InModuleVersion) {
        Error = "the plug-in " + Path + " is not a Winamp input plug-in" +
                (entry ? " of version 0x100" : " (it has no winampGetInModule2)");
        Unload();
        return false;
    }
    Record = record;
    return true;
}

void TPluginLibrary::Connect(HWND MainWindow, Out_Module* Output)
{
    Record->hMainWindow = MainWindow;
    Record->hDllInstance = Instance();
    Record->SAVSAInit = &SaVsaInit;
    Record->SAVSADeInit = &SaVsaDeInit;
    Record->SAAddPCMData = &SaAddPcmData;
    Record->SAGetMode = &SaGetMode;
    Record->SAAdd = &SaAdd;
    Record->VSAAddPCMData = &VsaAddPcmData;
    Record->VSAGetMode = &VsaGetMode;
    Record->VSAAdd = &VsaAdd;
    Record->VSASetInfo = &VsaSetInfo;
    Record->dsp_isactive = &DspIsActive;
    Record->dsp_dosamples = &DspDoSamples;
    Record->SetInfo = &SetInfo;
    Record->outMod = Output;
}

void TPluginLibrary::Unload()
{
    Record = nullptr;
    Library.Unload();
}
