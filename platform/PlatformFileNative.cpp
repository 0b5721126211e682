#include <sys/stat.h>

#include "platform/PlatformFile.h"

bool PlatformIsFile(const std::string& Path)
{
    struct stat status { };
    return !Path.empty() && stat(Path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

std::FILE* PlatformCreateNewFile(const std::string& Path)
{
    // x: made anew (O_EXCL, so never through a link); e: not handed on to the
    // programs this one starts.
    return std::fopen(Path.c_str(), "wbxe");
}

void PlatformSetBinaryMode(std::FILE*)
{
}
