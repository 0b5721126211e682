#include "host/play/HostSettingsFile.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform/PlatformFile.h"
#include "player/DmfSoundSettingsFile.h"

namespace {

// A name no other file has, made anew a few times at most.
constexpr int NameTries = 16;

}  // namespace

THostSettingsFile::THostSettingsFile(const TSoundSettings& Settings)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) {
        return;
    }
    std::random_device random;
    for (int i = 0; i < NameTries && FilePath.empty(); ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "morvel-play-%08x.ini", static_cast<unsigned>(random()));
        const std::string path = (folder / name).string();
        // Made new, never through a link another user left there.
        if (std::FILE* file = PlatformCreateNewFile(path)) {
            std::fclose(file);
            FilePath = path;
        }
    }
    if (!FilePath.empty() && !WriteSoundSettings(FilePath, Settings)) {
        std::filesystem::remove(FilePath, error);
        FilePath.clear();
    }
}

THostSettingsFile::~THostSettingsFile()
{
    if (!FilePath.empty()) {
        std::error_code error;
        std::filesystem::remove(FilePath, error);
    }
}
