#pragma once
// How a settings file keeps the listener's sound settings: the section
// [in_morvel] (after the plug-in's file in Winamp's Plugins folder), one key
// each:
//
//   [in_morvel]
//   Interpolation=linear      none, linear, cubic or sinc
//   OutputRate=44100          Hz, a whole number from 8000 to 192000
//   StereoSeparation=100      percent, a whole number from 0 to 200
//   ClickRemoval=0            1 (on) or 0 (off)
//
// The plug-in reads and writes them in its host's settings file, and morvel
// play hands the plug-in its options in such a file. Nothing here fails: a
// file that cannot be read gives the defaults, a value out of range the
// nearest valid one, a word that is no setting the default; each such fault
// is one line of the diagnostic log.

#include <string>

#include "player/DmfSoundSettings.h"

inline constexpr char SoundSettingsSection[] = "in_morvel";

// The settings the file at Path holds (the defaults where it holds none).
TSoundSettings ReadSoundSettings(const std::string& Path);
// Writes Settings into the file at Path, every other line of it kept; false
// (and a line in the log) when it cannot be written.
bool WriteSoundSettings(const std::string& Path, const TSoundSettings& Settings);
