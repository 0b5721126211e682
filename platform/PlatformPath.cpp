#include "platform/PlatformPath.h"

std::string PlatformFileName(std::string_view Path, std::string_view Delimiters)
{
    return std::string(Path.substr(FileNameStart(Path, Delimiters)));
}

std::string PlatformFolderPart(std::string_view Path, std::string_view Delimiters)
{
    return std::string(Path.substr(0, FileNameStart(Path, Delimiters)));
}
