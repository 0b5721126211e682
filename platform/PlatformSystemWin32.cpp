// What the plug-in asks of the Windows desktop.

#include <windows.h>

#include "platform/PlatformSystem.h"

void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    PostMessageA(Window, Message, static_cast<WPARAM>(WParam), static_cast<LPARAM>(LParam));
}

intptr_t PlatformSendMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    // A window whose thread hangs, or waits for the caller, answers nothing
    // rather than hanging the plug-in with it.
    DWORD_PTR answer = 0;
    if (!Window || !SendMessageTimeoutA(Window, Message, static_cast<WPARAM>(WParam), static_cast<LPARAM>(LParam),
                                        SMTO_ABORTIFHUNG, 5000, &answer)) {
        return 0;
    }
    return static_cast<intptr_t>(answer);
}

HWND PlatformFindWindow(const std::string& ClassName)
{
    return FindWindowA(ClassName.c_str(), nullptr);
}

void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption)
{
    MessageBoxA(Owner, Text.c_str(), Caption.c_str(), MB_OK);
}

HINSTANCE PlatformModuleInstance()
{
    // The module that holds this code: the plug-in DLL (or a program linking it).
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&PlatformModuleInstance), &module);
    return module;
}

std::string PlatformModuleFileName()
{
    HMODULE module = PlatformModuleInstance();
    if (!module) {
        return {};
    }
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

std::string PlatformProgramPath()
{
    // The module a null handle names: the host's program file.
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

bool PlatformAddFontResource(const std::string& Path)
{
    return AddFontResourceA(Path.c_str()) != 0;
}

bool PlatformRemoveFontResource(const std::string& Path)
{
    return RemoveFontResourceA(Path.c_str()) != 0;
}

void PlatformBroadcastFontChange()
{
    // Delivered to every top-level window before it returns; a hung window
    // elsewhere is passed over instead of hanging the host with it.
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
}
