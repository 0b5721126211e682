#pragma once
// The song information window: SongInfoWindowWin32.cpp makes the real one;
// natively SongInfoWindowNative.cpp keeps its state in a record
// (SongInfoWindowRecord.h) and shows nothing.

#include <memory>
#include <string>
#include <vector>

// Geometry of a control in pixels at 96 pixels per inch.
struct TControlBounds {
    int Left, Top, Width, Height;
};

// A modeless window with a title line and a message memo, made hidden. It
// belongs to the thread that made it.
class TSongInfoWindow {
public:
    virtual ~TSongInfoWindow() = default;
    virtual void SetTitle(const std::string& Text) = 0;
    virtual void SetMessageLines(const std::vector<std::string>& Lines) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show() = 0;          // shows it, modeless
    virtual void BringToFront() = 0;  // raises a visible window
    virtual void Hide() = 0;          // what closing it by the user does
};

std::unique_ptr<TSongInfoWindow> PluginCreateSongInfoWindow();
