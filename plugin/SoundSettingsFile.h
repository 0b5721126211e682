#pragma once
// The listener's sound settings in the host's settings file. Winamp names its
// file (winamp.ini, or the one of the user's profile) when its main window is
// asked (IPC_GETINIFILE); a host too old for the question answers 0, and its
// file is winamp.ini beside its program. The settings are the section
// [in_morvel], after the plug-in's file in Winamp's Plugins folder, one key
// each:
//
//   [in_morvel]
//   Interpolation=linear      none, linear, cubic or sinc
//   OutputRate=44100          Hz, a whole number from 8000 to 192000
//   StereoSeparation=100      percent, a whole number from 0 to 200
//   ClickRemoval=0            1 (on) or 0 (off)
//
// Nothing here fails: a file that cannot be read gives the defaults, a value
// out of range the nearest valid one, a word that is no setting the default;
// each such fault is one line of the diagnostic log.

#include <string>

#include "platform/PlatformHandles.h"
#include "player/DmfSoundSettings.h"

inline constexpr char SoundSettingsSection[] = "in_morvel";
// The host's settings file when it names none: beside its program.
inline constexpr char HostSettingsFileName[] = "winamp.ini";

// The settings file of the host whose main window is MainWindow: the path it
// answers, else winamp.ini beside its program; empty when neither is known.
std::string HostSettingsFile(HWND MainWindow);
// The settings the file at Path holds (the defaults where it holds none).
TSoundSettings ReadSoundSettings(const std::string& Path);
// Writes Settings into the file at Path, every other line of it kept; false
// (and a line in the log) when it cannot be written.
bool WriteSoundSettings(const std::string& Path, const TSoundSettings& Settings);
