// The Config dialog on Windows: the dialog resource of ConfigDialog.rc, shown
// modal and owned by the host's window, on the thread that calls Config (the
// host's window thread), whose messages its own loop dispatches meanwhile.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <string>

#include "platform/PlatformSystem.h"
#include "plugin/ConfigDialog.h"
#include "plugin/PluginResources.h"

namespace {

constexpr int SeparationTicks = 25;  // a tick on the slider every 25 percent
constexpr int SeparationPage = 10;   // Page Up and Page Down

// What the dialog shows when it opens, and what OK leaves there.
struct TDialogState {
    TSoundSettings Settings;
};

LRESULT SendItem(HWND Dialog, int Item, UINT Message, WPARAM WParam = 0, LPARAM LParam = 0)
{
    return SendDlgItemMessageA(Dialog, Item, Message, WParam, LParam);
}

void ShowSeparation(HWND Dialog)
{
    const LRESULT percent = SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_GETPOS);
    SetDlgItemTextA(Dialog, MORVEL_CONFIG_SEPARATION_TEXT, (std::to_string(percent) + " %").c_str());
}

void ShowSettings(HWND Dialog, const TSoundSettings& Settings)
{
    SendItem(Dialog, MORVEL_CONFIG_INTERPOLATION, CB_SETCURSEL, static_cast<WPARAM>(Settings.Interpolation));
    const int* offered = std::find(std::begin(TConfigDialogText::OfferedRates),
                                   std::end(TConfigDialogText::OfferedRates), Settings.Rate);
    if (offered != std::end(TConfigDialogText::OfferedRates)) {
        SendItem(Dialog, MORVEL_CONFIG_RATE, CB_SETCURSEL,
                 static_cast<WPARAM>(offered - std::begin(TConfigDialogText::OfferedRates)));
    } else {
        // A rate typed once: none of the list's, in the list's field.
        SendItem(Dialog, MORVEL_CONFIG_RATE, CB_SETCURSEL, static_cast<WPARAM>(-1));
        SetDlgItemInt(Dialog, MORVEL_CONFIG_RATE, static_cast<UINT>(Settings.Rate), FALSE);
    }
    SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_SETPOS, TRUE, Settings.Separation);
    ShowSeparation(Dialog);
    CheckDlgButton(Dialog, MORVEL_CONFIG_CLICK_REMOVAL, Settings.ClickRemoval ? BST_CHECKED : BST_UNCHECKED);
}

// The settings the controls show, held to their ranges; what a control does
// not give (a rate field without a number) stays as Before has it.
TSoundSettings ReadSettings(HWND Dialog, const TSoundSettings& Before)
{
    TSoundSettings settings = Before;
    const LRESULT chosen = SendItem(Dialog, MORVEL_CONFIG_INTERPOLATION, CB_GETCURSEL);
    if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(Interpolations))) {
        settings.Interpolation = Interpolations[chosen];
    }
    BOOL isNumber = FALSE;
    const UINT rate = GetDlgItemInt(Dialog, MORVEL_CONFIG_RATE, &isNumber, FALSE);
    if (isNumber) {
        settings.Rate = static_cast<int32_t>(std::min<UINT>(rate, MaxOutputRate));
    }
    settings.Separation = static_cast<int32_t>(SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_GETPOS));
    settings.ClickRemoval = IsDlgButtonChecked(Dialog, MORVEL_CONFIG_CLICK_REMOVAL) == BST_CHECKED;
    return SoundSettingsHeld(settings);
}

void FillLists(HWND Dialog)
{
    for (const char* text : TConfigDialogText::Interpolations) {
        SendItem(Dialog, MORVEL_CONFIG_INTERPOLATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    for (const int rate : TConfigDialogText::OfferedRates) {
        SendItem(Dialog, MORVEL_CONFIG_RATE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(rate).c_str()));
    }
    SendItem(Dialog, MORVEL_CONFIG_RATE, CB_LIMITTEXT, std::to_string(MaxOutputRate).size());
    SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_SETRANGE, FALSE, MAKELPARAM(MinSeparation, MaxSeparation));
    SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_SETTICFREQ, SeparationTicks);
    SendItem(Dialog, MORVEL_CONFIG_SEPARATION, TBM_SETPAGESIZE, 0, SeparationPage);
}

bool HandleMessage(HWND Dialog, UINT Message, WPARAM WParam, LPARAM LParam)
{
    auto* state = reinterpret_cast<TDialogState*>(GetWindowLongPtrA(Dialog, DWLP_USER));
    switch (Message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(Dialog, DWLP_USER, LParam);
        FillLists(Dialog);
        ShowSettings(Dialog, reinterpret_cast<TDialogState*>(LParam)->Settings);
        return true;  // the first control takes the focus
    case WM_HSCROLL:
        // The slider moved: its percentage follows as it moves.
        if (reinterpret_cast<HWND>(LParam) == GetDlgItem(Dialog, MORVEL_CONFIG_SEPARATION)) {
            ShowSeparation(Dialog);
            return true;
        }
        return false;
    case WM_COMMAND:
        switch (LOWORD(WParam)) {
        case MORVEL_CONFIG_DEFAULTS:
            ShowSettings(Dialog, TSoundSettings{});
            return true;
        case IDOK:
            if (state) {
                state->Settings = ReadSettings(Dialog, state->Settings);
            }
            EndDialog(Dialog, IDOK);
            return true;
        case IDCANCEL:  // also Esc and the close box
            EndDialog(Dialog, IDCANCEL);
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

INT_PTR CALLBACK DialogProc(HWND Dialog, UINT Message, WPARAM WParam, LPARAM LParam)
{
    // Nothing may be thrown into the host's message loop.
    try {
        return HandleMessage(Dialog, Message, WParam, LParam) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

// One dialog at a time: a second Config while one is open shows nothing.
std::atomic<bool> DialogOpen{false};

}  // namespace

std::optional<TSoundSettings> PluginRunConfigDialog(HWND Owner, const TSoundSettings& Shown)
{
    if (DialogOpen.exchange(true)) {
        return std::nullopt;
    }
    // The slider is a common control, registered by this call.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    TDialogState state{Shown};
    const INT_PTR closedBy =
        DialogBoxParamA(PlatformModuleInstance(), MAKEINTRESOURCEA(MORVEL_CONFIG_DIALOG),
                        IsWindow(Owner) ? Owner : nullptr, DialogProc, reinterpret_cast<LPARAM>(&state));
    DialogOpen = false;
    if (closedBy != IDOK) {
        return std::nullopt;
    }
    return state.Settings;
}
