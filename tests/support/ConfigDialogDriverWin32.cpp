#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <thread>

#include "plugin/ConfigDialog.h"
#include "plugin/PluginResources.h"
#include "tests/support/ConfigDialogDriver.h"
#include "tests/support/WindowText.h"

HWND WaitForConfigDialog()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end) {
        HWND dialog = FindWindowA(nullptr, TConfigDialogText::Caption);
        if (dialog && IsWindowVisible(dialog)) {
            return dialog;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

TConfigDialogView ReadConfigDialog(HWND Dialog)
{
    TConfigDialogView view;
    view.Interpolation = static_cast<int>(SendDlgItemMessageA(Dialog, MORVEL_CONFIG_INTERPOLATION, CB_GETCURSEL, 0, 0));
    view.Rate = WindowText(GetDlgItem(Dialog, MORVEL_CONFIG_RATE));
    view.Separation = static_cast<int>(SendDlgItemMessageA(Dialog, MORVEL_CONFIG_SEPARATION, TBM_GETPOS, 0, 0));
    view.SeparationText = WindowText(GetDlgItem(Dialog, MORVEL_CONFIG_SEPARATION_TEXT));
    view.ClickRemoval = SendDlgItemMessageA(Dialog, MORVEL_CONFIG_CLICK_REMOVAL, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return view;
}

TConfigDialogView ConfigDialogViewOf(const TSoundSettings& Settings)
{
    return {static_cast<int>(Settings.Interpolation), std::to_string(Settings.Rate), Settings.Separation,
            std::to_string(Settings.Separation) + " %", Settings.ClickRemoval};
}

void TypeConfigRate(HWND Dialog, const std::string& Text)
{
    HWND rate = GetDlgItem(Dialog, MORVEL_CONFIG_RATE);
    SendMessageA(rate, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(rate, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
}

void SetConfigDialog(HWND Dialog, const TSoundSettings& Settings)
{
    SendDlgItemMessageA(Dialog, MORVEL_CONFIG_INTERPOLATION, CB_SETCURSEL, static_cast<WPARAM>(Settings.Interpolation),
                        0);
    const auto& offered = TConfigDialogText::OfferedRates;
    const auto at = std::find(std::begin(offered), std::end(offered), Settings.Rate);
    if (at != std::end(offered)) {
        SendDlgItemMessageA(Dialog, MORVEL_CONFIG_RATE, CB_SETCURSEL, static_cast<WPARAM>(at - std::begin(offered)), 0);
    } else {
        TypeConfigRate(Dialog, std::to_string(Settings.Rate));
    }
    // The slider tells its dialog it moved, as a drag does.
    HWND slider = GetDlgItem(Dialog, MORVEL_CONFIG_SEPARATION);
    SendMessageA(slider, TBM_SETPOS, TRUE, Settings.Separation);
    SendMessageA(Dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, Settings.Separation), reinterpret_cast<LPARAM>(slider));
    SendDlgItemMessageA(Dialog, MORVEL_CONFIG_CLICK_REMOVAL, BM_SETCHECK,
                        Settings.ClickRemoval ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ClickConfigButton(HWND Dialog, int Button)
{
    // Sent: handled when this returns, as the dialog's own loop dispatches it.
    SendMessageA(Dialog, WM_COMMAND, MAKEWPARAM(Button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Dialog, Button)));
}
