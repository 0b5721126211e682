#include "module/LoadLogPath.h"

#include "module/LoadLog.h"
#include "platform/PlatformStateFile.h"

std::string LogFilePath()
{
    return PlatformStateFilePath("morvel", LogFileName);
}
