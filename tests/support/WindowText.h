#pragma once
// A window's text as Windows gives it (ANSI), for the tests that look at
// real windows under wine.

#include <windows.h>

#include <string>

inline std::string WindowText(HWND Window)
{
    const int length = GetWindowTextLengthA(Window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(Window, text.data(), length + 1)));
    return text;
}
