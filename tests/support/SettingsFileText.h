#pragma once
// Settings files as the tests write and expect them: Winamp's own, and the
// plug-in's section as it writes it.

#include <string>

#include "player/DmfSoundSettings.h"

// A winamp.ini as Winamp writes it: the host's section and other plug-ins'.
inline const std::string WinampIni = "[Winamp]\r\nutf8=1\r\nskin=Big Bento\r\nvolume=200\r\npe_fontsize=10\r\n"
                                     "[in_mod]\r\nmixrate=44100\r\nnch=2\r\ninterpolation=1\r\n"
                                     "[out_ds]\r\nbuffer_ms=2000\r\n";

// The section the plug-in writes for Settings into a file with CR LF line ends.
inline std::string SectionOf(const TSoundSettings& Settings)
{
    return std::string("[in_morvel]\r\nInterpolation=") + InterpolationName(Settings.Interpolation) +
           "\r\nOutputRate=" + std::to_string(Settings.Rate) +
           "\r\nStereoSeparation=" + std::to_string(Settings.Separation) +
           "\r\nClickRemoval=" + (Settings.ClickRemoval ? "1" : "0") + "\r\n";
}
