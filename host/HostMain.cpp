// morvel: the command-line host of the player engine (HostProgram.h). The
// loader's log goes to the log file only, or with --log also to standard
// error; standard output carries nothing but the command's own output.

#include <string>
#include <vector>

#include "host/HostProgram.h"
#include "module/LoadLog.h"

int main(int argc, char** argv)
{
    SetDebugLogConsole(nullptr);
    return RunProgram(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
