#include "platform/PlatformFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

bool PlatformIsFile(const std::string& Path)
{
    if (Path.empty()) {
        return false;
    }
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
#else
    struct stat status { };
    return stat(Path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
#endif
}
