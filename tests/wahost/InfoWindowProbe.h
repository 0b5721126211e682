#pragma once
// The plug-in's song information window as another program sees it: found
// among this process's top-level windows by its caption, its two read-only
// edit controls (the title line and the message memo) read back.

#include <windows.h>

#include <string>
#include <vector>

inline constexpr const char* InfoWindowCaption = "Morvel - Song information";

// The window of this process with that caption; null when there is none.
HWND FindInfoWindow();

struct TInfoWindowView {
    bool Visible = false;
    DWORD Thread = 0;  // the thread that owns the window
    HWND TitleEdit = nullptr;
    HWND MessageMemo = nullptr;
    std::string Title;
    std::vector<std::string> Lines;  // the memo's lines, CR LF apart
    bool ReadOnly = false;           // both edits
};

// Reads the window; call it on the window's own thread.
TInfoWindowView ReadInfoWindow(HWND Window);

// The face a control's font really renders in, as the system chose it; its
// requested face and height as well.
struct TControlFont {
    std::string Requested;
    int Height = 0;
    std::string Realised;
};
TControlFont ControlFont(HWND Control);
