#pragma once
// A picture of a window as it is drawn on screen, frame included.

#include <windows.h>

#include <cstdint>
#include <vector>

struct TWindowCapture {
    int Width = 0, Height = 0;
    POINT ClientOrigin{};      // the client area's top left corner in the picture
    std::vector<uint8_t> Rgb;  // top row first, three bytes a pixel

    COLORREF Pixel(int X, int Y) const;
    // A pixel of the client area of Window (the captured window or one of its descendants).
    COLORREF ClientPixel(HWND Window, int X, int Y) const;

    HWND Captured = nullptr;
};

// Empty (Width 0) when the window could not be captured.
TWindowCapture CaptureWindow(HWND Window);
