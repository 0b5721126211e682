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
class TPluginThread {
public:
    TPluginThread();
    ~TPluginThread();  // never waits: a thread still running is let go
    TPluginThread(const TPluginThread&) = delete;
    TPluginThread& operator=(const TPluginThread&) = delete;

    // False when no thread could be made.
    bool Start(std::function<void()> Run);
    void Join();

private:
    struct TState;
    std::unique_ptr<TState> State;
};

// The player thread's pause between two polls of the output or of its state.
void PluginSleep(unsigned Milliseconds);
// Posts a message to a window of the host without waiting for it.
void PluginPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam);
// The top-level window of a window class, whatever its title; null when none.
HWND PluginFindWindow(const std::string& ClassName);
// A modal message box with one OK button; returns when it is dismissed.
void PluginMessageBox(HWND Owner, const std::string& Text, const std::string& Caption);
// The full path of the plug-in library itself (at most 260 characters).
std::string PluginModuleFileName();
// Registers or removes a font file for this session; false on failure.
bool PluginAddFontResource(const std::string& Path);
bool PluginRemoveFontResource(const std::string& Path);
// Tells every top-level window that the fonts changed, waiting for delivery.
void PluginBroadcastFontChange();
