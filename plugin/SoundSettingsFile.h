#pragma once
// Where the listener's sound settings are kept: the host's settings file.
// Winamp names its file (winamp.ini, or the one of the user's profile) when
// its main window is asked (IPC_GETINIFILE); a host too old for the question
// answers 0, and its file is winamp.ini beside its program. The settings are
// its section [in_morvel] (player/DmfSoundSettingsFile.h).

#include <string>

#include "platform/PlatformHandles.h"
#include "player/DmfSoundSettingsFile.h"

// The host's settings file when it names none: beside its program.
inline constexpr char HostSettingsFileName[] = "winamp.ini";

// The settings file of the host whose main window is MainWindow: the path it
// answers, else winamp.ini beside its program; empty when neither is known.
std::string HostSettingsFile(HWND MainWindow);
