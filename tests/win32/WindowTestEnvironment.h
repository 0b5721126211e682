#pragma once
// The window tests' shared setting-up (WindowTestEnvironment.cpp).

// True when the build made the song's font and it is registered for the run.
bool SongFontRegistered();
