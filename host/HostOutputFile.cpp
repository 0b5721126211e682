#include "host/HostOutputFile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr int CreateFlags = _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY;
#else
constexpr int CreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
#endif
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
    const size_t slash = Path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : Path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < NameTries; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        // Hidden, and never a name another morvel run's target could have.
        const std::string candidate = folder + "." + name + suffix + ".part";
        // A new file only: never opened through a link or over another file.
        const int fd = open(candidate.c_str(), CreateFlags, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            Error = std::strerror(errno);
            return false;
        }
        File = fdopen(fd, "wb");
        if (!File) {
            Error = std::strerror(errno);
            close(fd);
            std::remove(candidate.c_str());
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
