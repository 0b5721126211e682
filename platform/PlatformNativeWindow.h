#pragma once
// A host's main window outside Windows. A native host puts the address of one
// of these into In_Module's hMainWindow; what the plug-in would post to a
// Win32 window (the end-of-file message) reaches the host through PostMessage,
// on whichever thread posts it, and what it would send (the question for the
// host's settings file) is answered by SendMessage, on the sender's thread.

#include <cstdint>

#include "platform/PlatformHandles.h"

struct TNativeHostWindow {
    void (*PostMessage)(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam);
    void* Context;  // the host's own data
    // The host's answer to a message sent to its window; null for a host
    // that answers 0 to every message, as a window does to one it does not know.
    intptr_t (*SendMessage)(TNativeHostWindow* Window, unsigned Message, uintptr_t WParam, intptr_t LParam) = nullptr;

    HWND Handle() { return reinterpret_cast<HWND>(this); }
    static TNativeHostWindow* FromHandle(HWND Handle) { return reinterpret_cast<TNativeHostWindow*>(Handle); }
};
