#pragma once
// The Config dialog: the listener's sound settings (interpolation, output
// rate, stereo separation, click removal), modal, owned by the window the host
// passes. ConfigDialogWin32.cpp shows it from its resource (ConfigDialog.rc);
// natively ConfigDialogNative.cpp records that it was asked for
// (PlatformRecord.h) and shows nothing.

#include <optional>

#include "platform/PlatformHandles.h"
#include "player/DmfSoundSettings.h"
#include "plugin/PluginResources.h"

// What the dialog shows and offers.
struct TConfigDialogText {
    static constexpr const char* Caption = MORVEL_CONFIG_CAPTION;
    // One line per interpolation, in the order of TInterpolation.
    static constexpr const char* Interpolations[] = {
        "None: the nearest frame, hard and gritty (chip-tune)",
        "Linear: the player's own sound (default)",
        "Cubic: four frames, smoother and rounder",
        "Sinc: band-limited, clear highs without aliasing",
    };
    static constexpr int OfferedRates[] = {22050, 32000, 44100, 48000, 88200, 96000, 192000};
};

// Shows the dialog with Shown in its controls and returns when it closes:
// the settings in the controls (held to their ranges) when OK closed it;
// nullopt when Cancel or the close box did, or no dialog could be shown.
std::optional<TSoundSettings> PluginRunConfigDialog(HWND Owner, const TSoundSettings& Shown);
