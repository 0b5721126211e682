#include "tests/win32/WindowCapture.h"

COLORREF TWindowCapture::Pixel(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= Width || Y >= Height) {
        return CLR_INVALID;
    }
    const size_t at = (static_cast<size_t>(Y) * Width + X) * 3;
    return RGB(Rgb[at], Rgb[at + 1], Rgb[at + 2]);
}

COLORREF TWindowCapture::ClientPixel(HWND Window, int X, int Y) const
{
    POINT point{X, Y};
    MapWindowPoints(Window, Captured, &point, 1);
    return Pixel(ClientOrigin.x + point.x, ClientOrigin.y + point.y);
}

TWindowCapture CaptureWindow(HWND Window)
{
    TWindowCapture capture;
    RECT frame;
    POINT origin{0, 0};
    if (!GetWindowRect(Window, &frame) || !ClientToScreen(Window, &origin)) {
        return capture;
    }
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return capture;
    }

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!memory || !bitmap || !bits) {
        if (bitmap) {
            DeleteObject(bitmap);
        }
        if (memory) {
            DeleteDC(memory);
        }
        return capture;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    // The frame from the window's DC, as far as the system draws it (a window
    // manager's frame shows in no window DC), then the client area from the
    // client's own DC, where it is on screen.
    const POINT client{origin.x - frame.left, origin.y - frame.top};
    RECT clientRect;
    GetClientRect(Window, &clientRect);
    HDC windowDc = GetWindowDC(Window);
    if (windowDc) {
        BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        ReleaseDC(Window, windowDc);
    }
    HDC clientDc = GetDC(Window);
    const bool copied =
        clientDc && BitBlt(memory, client.x, client.y, clientRect.right, clientRect.bottom, clientDc, 0, 0, SRCCOPY);
    if (clientDc) {
        ReleaseDC(Window, clientDc);
    }
    GdiFlush();
    if (copied) {
        capture.Width = width;
        capture.Height = height;
        capture.ClientOrigin = client;
        capture.Captured = Window;
        capture.Rgb.resize(static_cast<size_t>(width) * height * 3);
        const auto* source = static_cast<const uint8_t*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
            capture.Rgb[i * 3] = source[i * 4 + 2];
            capture.Rgb[i * 3 + 1] = source[i * 4 + 1];
            capture.Rgb[i * 3 + 2] = source[i * 4];
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return capture;
}
