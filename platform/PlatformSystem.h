#pragma once
// What the plug-in asks of the desktop it runs in: the host window, message
// boxes, its own path and the host program's, and font registration. PlatformSystemWin32.cpp makes the
// real calls; natively PlatformSystemNative.cpp records what was asked
// (PlatformRecord.h) and shows nothing.

#include <cstdint>
#include <string>

#include "platform/PlatformHandles.h"

// Posts a message to a window of the host without waiting for it.
void PlatformPostMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam);
// Sends a message to a window of the host and returns its answer: 0 when the
// window does not answer it (or within a few seconds), or there is no window.
intptr_t PlatformSendMessage(HWND Window, unsigned Message, uintptr_t WParam, intptr_t LParam);
// The top-level window of a window class, whatever its title; null when none.
HWND PlatformFindWindow(const std::string& ClassName);
// A modal message box with one OK button; returns when it is dismissed.
void PlatformMessageBox(HWND Owner, const std::string& Text, const std::string& Caption);
// The plug-in library itself as the system loaded it (on Windows the module
// that holds its resources): the module of this code, or of the program that
// has it linked in.
HINSTANCE PlatformModuleInstance();
// The full path of the plug-in library itself (at most 260 characters).
std::string PlatformModuleFileName();
// The running program's file (the host's), its links resolved; empty when the
// system does not say.
std::string PlatformProgramPath();
// Registers or removes a font file for this session; false on failure.
bool PlatformAddFontResource(const std::string& Path);
bool PlatformRemoveFontResource(const std::string& Path);
// Tells every top-level window that the fonts changed, waiting for delivery.
void PlatformBroadcastFontChange();
