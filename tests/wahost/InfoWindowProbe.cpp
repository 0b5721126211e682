#include "tests/wahost/InfoWindowProbe.h"

#include <algorithm>
#include <cstring>

#include "tests/support/WindowText.h"

namespace {

struct TWindowSearch {
    DWORD Process;
    HWND Found;
};

BOOL CALLBACK FindByCaption(HWND Window, LPARAM Context)
{
    auto* search = reinterpret_cast<TWindowSearch*>(Context);
    DWORD process = 0;
    GetWindowThreadProcessId(Window, &process);
    if (process != search->Process) {
        return TRUE;
    }
    // The caption without a message to the window's thread, which may be busy.
    wchar_t caption[64] = {};
    const int length = InternalGetWindowText(Window, caption, 64);
    if (length == static_cast<int>(std::strlen(InfoWindowCaption)) &&
        std::equal(caption, caption + length, InfoWindowCaption)) {
        search->Found = Window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectEdit(HWND Window, LPARAM Context)
{
    auto* view = reinterpret_cast<TInfoWindowView*>(Context);
    char className[32] = {};
    GetClassNameA(Window, className, sizeof className);
    if (_stricmp(className, "Edit") != 0) {
        return TRUE;
    }
    if (GetWindowLongA(Window, GWL_STYLE) & ES_MULTILINE) {
        view->MessageMemo = Window;
    } else {
        view->TitleEdit = Window;
    }
    return TRUE;
}

std::vector<std::string> SplitLines(const std::string& Text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < Text.size()) {
        const size_t end = Text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(Text.substr(start));
            break;
        }
        lines.push_back(Text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

HWND FindInfoWindow()
{
    TWindowSearch search{GetCurrentProcessId(), nullptr};
    EnumWindows(&FindByCaption, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TInfoWindowView ReadInfoWindow(HWND Window)
{
    TInfoWindowView view;
    view.Visible = IsWindowVisible(Window) != FALSE;
    view.Thread = GetWindowThreadProcessId(Window, nullptr);
    EnumChildWindows(Window, &CollectEdit, reinterpret_cast<LPARAM>(&view));
    if (view.TitleEdit) {
        view.Title = WindowText(view.TitleEdit);
    }
    if (view.MessageMemo) {
        view.Lines = SplitLines(WindowText(view.MessageMemo));
    }
    view.ReadOnly = view.TitleEdit && view.MessageMemo && (GetWindowLongA(view.TitleEdit, GWL_STYLE) & ES_READONLY) &&
                    (GetWindowLongA(view.MessageMemo, GWL_STYLE) & ES_READONLY);
    return view;
}

TControlFont ControlFont(HWND Control)
{
    TControlFont result;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(Control, WM_GETFONT, 0, 0));
    if (!font) {
        return result;
    }
    LOGFONTA description{};
    if (GetObjectA(font, sizeof description, &description)) {
        result.Requested = description.lfFaceName;
        result.Height = description.lfHeight;
    }
    HDC dc = GetDC(Control);
    const HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    result.Realised = face;
    SelectObject(dc, old);
    ReleaseDC(Control, dc);
    return result;
}
