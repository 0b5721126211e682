// The plug-in's Windows calls.

#include <windows.h>

#include "platform/PlatformSystem.h"

namespace {

DWORD WINAPI RunThread(LPVOID Parameter)
{
    auto* run = static_cast<std::function<void()>*>(Parameter);
    try {
        (*run)();
    } catch (...) {
        // A thread's failure must not end the host's process.
    }
    return 0;
}

}  // namespace

struct TPlatformThread::TState {
    HANDLE Handle = nullptr;
    DWORD Id = 0;
    std::function<void()> Run;  // lives as long as the thread may use it
};

TPlatformThread::TPlatformThread() : State(std::make_unique<TState>())
{
}

TPlatformThread::~TPlatformThread()
{
    if (!State->Handle)
        return;
    const bool running = WaitForSingleObject(State->Handle, 0) != WAIT_OBJECT_0;
    CloseHandle(State->Handle);
    // A thread still running keeps its function: it is let go with it.
    if (running)
        State.release();
}

bool TPlatformThread::Start(std::function<void()> Run)
{
    if (State->Handle)
        return false;
    State->Run = std::move(Run);
    State->Handle = CreateThread(nullptr, 0, RunThread, &State->Run, 0, &State->Id);
    return State->Handle != nullptr;
}

void TPlatformThread::Join()
{
    if (!State->Handle || GetCurrentThreadId() == State->Id)
        return;
    WaitForSingleObject(State->Handle, INFINITE);
    CloseHandle(State->Handle);
    State->Handle = nullptr;
}

void PlatformSleep(unsigned Milliseconds)
{
    Sleep(Milliseconds);
}

void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam)
{
    PostMessageA(Window, Message, static_cast<WPARAM>(WParam), static_cast<LPARAM>(LParam));
}

HWND PlatformFindWindow(const std::string& ClassName)
{
    return FindWindowA(ClassName.c_str(), nullptr);
}

void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption)
{
    MessageBoxA(Owner, Text.c_str(), Caption.c_str(), MB_OK);
}

std::string PlatformModuleFileName()
{
    // The module that holds this code: the plug-in DLL (or a program linking it).
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&PlatformModuleFileName), &module))
        return {};
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
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
