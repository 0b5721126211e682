#include "fuzz/FuzzHarnesses.h"
#include "module/LoadLog.h"

void FuzzQuietLog()
{
    SetDebugLogConsole(nullptr);
}
