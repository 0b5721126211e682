// What the plug-in asks of the desktop, outside Windows: a record of what was
// asked (PlatformRecord.h). The host's main window is a TNativeHostWindow of
// the host's.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>

#include "platform/PlatformNativeWindow.h"
#include "platform/PlatformRecord.h"
#include "platform/PlatformSystem.h"

namespace {

bool FileExists(const std::string& Path)
{
    std::FILE* file = std::fopen(Path.c_str(), "rb");
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

}  // namespace

void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    if (TNativeHostWindow* window = TNativeHostWindow::FromHandle(Window); window && window->PostMessage) {
        window->PostMessage(window, Message, WParam, LParam);
    }
}

intptr_t PlatformSendMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    TNativeHostWindow* window = TNativeHostWindow::FromHandle(Window);
    return window && window->SendMessage ? window->SendMessage(window, Message, WParam, LParam) : 0;
}

HWND PlatformFindWindow(const std::string& ClassName)
{
    PlatformRecordNote([&](TPlatformRecord& r) { r.WindowClassesSought.push_back(ClassName); });
    return nullptr;
}

void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption)
{
    PlatformRecordNote([&](TPlatformRecord& r) { r.MessageBoxes.push_back({Owner, Text, Caption}); });
}

HINSTANCE PlatformModuleInstance()
{
    // Where the file this code was loaded from lies in memory.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&PlatformModuleInstance), &info) != 0) {
        return static_cast<HINSTANCE>(info.dli_fbase);
    }
    return nullptr;
}

std::string PlatformModuleFileName()
{
    // The file this code was loaded from: the shared library, or the program
    // that has it linked in.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&PlatformModuleFileName), &info) != 0 && info.dli_fname) {
        return info.dli_fname;
    }
    return {};
}

std::string PlatformProgramPath()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

bool PlatformAddFontResource(const std::string& Path)
{
    PlatformRecordNote([&](TPlatformRecord& r) { r.FontsAdded.push_back(Path); });
    return FileExists(Path);
}

bool PlatformRemoveFontResource(const std::string& Path)
{
    PlatformRecordNote([&](TPlatformRecord& r) { r.FontsRemoved.push_back(Path); });
    return FileExists(Path);
}

void PlatformBroadcastFontChange()
{
    PlatformRecordNote([](TPlatformRecord& r) { ++r.FontChangeBroadcasts; });
}
