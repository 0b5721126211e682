#pragma once
// What the plug-in needs of Windows beyond files and locks: its thread, the
// host window, message boxes, its own path and font registration.
// PlatformSystemWin32.cpp makes the real calls; natively
// PlatformSystemNative.cpp records what was asked (PlatformRecord.h) and
// shows nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/PlatformHandles.h"

// A thread that runs one function; Join waits until it has ended (at once when
// it never started or was joined already).
class TPlatformThread {
public:
    TPlatformThread();
    ~TPlatformThread();  // never waits: a thread still running is let go
    TPlatformThread(const TPlatformThread&) = delete;
    TPlatformThread& operator=(const TPlatformThread&) = delete;

    // False when no thread could be made.
    bool Start(std::function<void()> Run);
    void Join();

private:
    struct TState;
    std::unique_ptr<TState> State;
};

// The player thread's pause between two polls of the output or of its state.
void PlatformSleep(unsigned Milliseconds);
// Posts a message to a window of the host without waiting for it.
void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam);
// The top-level window of a window class, whatever its title; null when none.
HWND PlatformFindWindow(const std::string& ClassName);
// A modal message box with one OK button; returns when it is dismissed.
void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption);
// The full path of the plug-in library itself (at most 260 characters).
std::string PlatformModuleFileName();
// Registers or removes a font file for this session; false on failure.
bool PlatformAddFontResource(const std::string& Path);
bool PlatformRemoveFontResource(const std::string& Path);
// Tells every top-level window that the fonts changed, waiting for delivery.
void PlatformBroadcastFontChange();
