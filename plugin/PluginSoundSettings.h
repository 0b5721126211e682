#pragma once
// The sound settings in force for the plug-in: read from the host's settings
// file at Init, replaced when the listener confirms the Config dialog (and
// written back to that file). Each Play, extended read and the extended
// information take a copy when they start; any thread may, while another
// chooses new ones: a song keeps the settings it started with.

#include <mutex>
#include <string>

#include "platform/PlatformHandles.h"
#include "player/DmfSoundSettings.h"

class TPluginSoundSettings {
public:
    // Reads them from the settings file of the host whose main window is
    // MainWindow; later choices are written to that file.
    void Load(HWND MainWindow);
    TSoundSettings Current() const;
    // Makes Settings (held to their ranges) the plug-in's and writes them to
    // the settings file; they hold even when it cannot be written.
    void Choose(const TSoundSettings& Settings);

private:
    std::mutex Writing;  // one choice at a time, its file written whole
    mutable std::mutex Lock;
    TSoundSettings Settings;
    std::string Path;
};
