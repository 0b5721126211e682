#include "module/LoadLogPath.h"

#include <cstdlib>

#include "module/LoadLog.h"

#ifndef _WIN32
#include <sys/stat.h>

#include <cerrno>
#endif

#ifdef _WIN32

std::string LogFilePath()
{
    return LogFileName;
}

bool MakeLogFolders(const std::string&)
{
    return false;
}

#else

namespace {

// An environment variable holding an absolute path; relative ones are ignored,
// as the XDG base directory rules ask.
const char* AbsolutePathFrom(const char* Name)
{
    const char* value = std::getenv(Name);
    return value && value[0] == '/' ? value : nullptr;
}

}  // namespace

std::string LogFilePath()
{
    std::string folder;
    if (const char* state = AbsolutePathFrom("XDG_STATE_HOME"))
        folder = state;
    else if (const char* home = AbsolutePathFrom("HOME"))
        folder = std::string(home) + "/.local/state";
    else
        return {};
    if (folder.back() != '/')
        folder += '/';
    return folder + "morvel/" + LogFileName;
}

bool MakeLogFolders(const std::string& LogPath)
{
    const size_t end = LogPath.find_last_of('/');
    if (end == std::string::npos || end == 0)
        return false;
    // Each missing folder from the root down; the ones that exist are left as they are.
    for (size_t slash = LogPath.find('/', 1); slash != std::string::npos && slash <= end;
         slash = LogPath.find('/', slash + 1)) {
        const std::string folder = LogPath.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat status { };
    return stat(LogPath.substr(0, end).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

#endif
