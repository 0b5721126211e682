#include "platform/PlatformStateFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

namespace {

// An environment variable holding an absolute path; relative ones are ignored,
// as the XDG base directory rules ask.
const char* AbsolutePathFrom(const char* Name)
{
    const char* value = std::getenv(Name);
    return value && value[0] == '/' ? value : nullptr;
}

}  // namespace

std::string PlatformStateFilePath(const std::string& Program, const std::string& FileName)
{
    std::string folder;
    if (const char* state = AbsolutePathFrom("XDG_STATE_HOME")) {
        folder = state;
    } else if (const char* home = AbsolutePathFrom("HOME")) {
        folder = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder + Program + "/" + FileName;
}

bool PlatformMakeStateFolders(const std::string& FilePath)
{
    const size_t end = FilePath.find_last_of('/');
    if (end == std::string::npos || end == 0) {
        return false;
    }
    // Each missing folder from the root down; the ones that exist are left as they are.
    for (size_t slash = FilePath.find('/', 1); slash != std::string::npos && slash <= end;
         slash = FilePath.find('/', slash + 1)) {
        const std::string folder = FilePath.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat status { };
    return stat(FilePath.substr(0, end).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}
