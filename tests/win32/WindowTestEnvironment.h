#pragma once
// The window tests' shared setting-up (WindowTestEnvironment.cpp).

// True when the build made the song's font and it is registered for the run.
bool SongFontRegistered();
// True when windows can be made (wine needs an X display for any).
bool WindowsCanBeMade();
// Dispatches every message waiting for this thread's windows.
void PumpMessages();
