#include "host/play/HostPluginLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

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
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {std::string("./") + library};
    }
    const std::string program(path, static_cast<size_t>(length));
    const size_t slash = program.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : program.substr(0, slash);
    return {folder + "/" + library, folder + "/" + MORVEL_PLUGIN_INSTALL_DIR + "/" + library};
}

std::string DefaultPluginPath()
{
    for (const std::string& path : PluginSearchPaths()) {
        if (access(path.c_str(), F_OK) == 0) {
            return path;
        }
    }
    return {};
}

TPluginLibrary::~TPluginLibrary()
{
    Unload();
}

bool TPluginLibrary::Load(const std::string& Path, std::string& Error)
{
    Unload();
    // A path without a slash would be searched for on the library path; the user means this file.
    const std::string file = Path.find('/') == std::string::npos ? "./" + Path : Path;
    Handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!Handle) {
        const char* reason = dlerror();
        Error = "cannot load the plug-in " + Path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    auto entry = reinterpret_cast<WinampGetInModule2Function>(dlsym(Handle, "winampGetInModule2"));
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
    if (Handle) {
        dlclose(Handle);
    }
    Handle = nullptr;
}
