#include "host/HostOutputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/PlatformFile.h"
#include "platform/PlatformPath.h"

namespace {

// Tries of a new random name before giving up.
constexpr int NameTries = 100;

}  // namespace

TOutputFile::~TOutputFile()
{
    Discard();
}

bool TOutputFile::Create(const std::string& Path, std::string& Error)
{
    Discard();
    Target = Path;
    const std::string folder = PlatformFolderPart(Path);
    const std::string name = PlatformFileName(Path);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < NameTries; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        // Hidden, and never a name another morvel run's target could have.
        const std::string candidate = folder + "." + name + suffix + ".part";
        // A new file only: never opened through a link or over another file.
        File = PlatformCreateNewFile(candidate);
        if (!File) {
            if (errno == EEXIST) {
                continue;
            }
            Error = std::strerror(errno);
            return false;
        }
        Temporary = candidate;
        return true;
    }
    Error = "no free temporary name beside it";
    return false;
}

bool TOutputFile::Commit(bool Replace, std::string& Error)
{
    namespace fs = std::filesystem;
    if (!File) {
        Error = "nothing was written";
        return false;
    }
    const bool closed = std::fclose(File) == 0;
    File = nullptr;
    if (!closed) {
        Error = std::strerror(errno);
        Discard();
        return false;
    }
    std::error_code error;
    if (!Replace && fs::exists(fs::symlink_status(Target, error))) {
        Error = "it was made by someone else meanwhile";
        Discard();
        return false;
    }
    fs::rename(Temporary, Target, error);
    if (error) {
        Error = error.message();
        Discard();
        return false;
    }
    Temporary.clear();
    return true;
}

void TOutputFile::Discard()
{
    if (File) {
        std::fclose(File);
    }
    File = nullptr;
    if (!Temporary.empty()) {
        std::remove(Temporary.c_str());
    }
    Temporary.clear();
}
