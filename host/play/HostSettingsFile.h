#pragma once
// The settings file morvel play hands the plug-in: the sound settings of its
// options written into a fresh file of its own, which the host's window names
// when the plug-in asks for its host's settings file (IPC_GETINIFILE), as
// Winamp names winamp.ini. So the plug-in reads its settings by the one path
// it takes in Winamp. The file goes when the object does.

#include <string>

#include "player/DmfSoundSettings.h"

class THostSettingsFile {
public:
    // Writes Settings into a new file in the system's folder for temporary
    // files; Path() is empty when none could be made (the plug-in then logs
    // that it has no file and plays with the defaults).
    explicit THostSettingsFile(const TSoundSettings& Settings);
    ~THostSettingsFile();
    THostSettingsFile(const THostSettingsFile&) = delete;
    THostSettingsFile& operator=(const THostSettingsFile&) = delete;

    const std::string& Path() const { return FilePath; }

private:
    std::string FilePath;
};
