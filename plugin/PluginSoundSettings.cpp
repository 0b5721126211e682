#include "plugin/PluginSoundSettings.h"

#include "plugin/SoundSettingsFile.h"

void TPluginSoundSettings::Load(HWND MainWindow)
{
    std::lock_guard<std::mutex> writing(Writing);
    std::string path = HostSettingsFile(MainWindow);
    const TSoundSettings settings = ReadSoundSettings(path);
    std::lock_guard<std::mutex> guard(Lock);
    Path = std::move(path);
    Settings = settings;
}

TSoundSettings TPluginSoundSettings::Current() const
{
    std::lock_guard<std::mutex> guard(Lock);
    return Settings;
}

void TPluginSoundSettings::Choose(const TSoundSettings& Chosen)
{
    std::lock_guard<std::mutex> writing(Writing);
    const TSoundSettings held = SoundSettingsHeld(Chosen);
    std::string path;
    {
        std::lock_guard<std::mutex> guard(Lock);
        Settings = held;
        path = Path;
    }
    WriteSoundSettings(path, held);
}
