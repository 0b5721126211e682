#pragma once
// The plug-in's Config dialog as a listener works it, from a thread other
// than the dialog's (whose modal loop runs inside Config): found by its
// caption, its controls read and set by the messages their own input sends.
// Windows only (ConfigDialogDriverWin32.cpp).

#include <windows.h>

#include <string>

#include "player/DmfSoundSettings.h"

// What the controls show.
struct TConfigDialogView {
    int Interpolation = -1;  // the list's selection
    std::string Rate;        // the rate field's text
    int Separation = -1;     // the slider
    std::string SeparationText;
    bool ClickRemoval = false;
    bool operator==(const TConfigDialogView&) const = default;
};

// The dialog once it is shown; null when none appears within a few seconds.
HWND WaitForConfigDialog();
TConfigDialogView ReadConfigDialog(HWND Dialog);
// What the controls must show for Settings.
TConfigDialogView ConfigDialogViewOf(const TSoundSettings& Settings);
// Picks Settings' entries as a listener does: the list entries, the rate (an
// offered one picked, any other typed), the slider moved, the box checked.
void SetConfigDialog(HWND Dialog, const TSoundSettings& Settings);
// Types Text into the rate field.
void TypeConfigRate(HWND Dialog, const std::string& Text);
// Clicks a button (IDOK, IDCANCEL, MORVEL_CONFIG_DEFAULTS).
void ClickConfigButton(HWND Dialog, int Button);
