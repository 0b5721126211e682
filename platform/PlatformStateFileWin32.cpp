#include "platform/PlatformStateFile.h"

std::string PlatformStateFilePath(const std::string&, const std::string& FileName)
{
    return FileName;
}

bool PlatformMakeStateFolders(const std::string&)
{
    return false;
}
