// morvel: the command-line host of the player engine.
//   morvel [--log] COMMAND ARGS...
// The loader's log goes to the log file only, or with --log also to standard
// error; standard output carries nothing but the command's own output.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/HostCommand.h"
#include "host/HostInfo.h"
#include "host/HostRender.h"
#ifndef _WIN32
#include "host/HostPlay.h"
#endif
#include "module/LoadLog.h"

namespace {

// Every command of the program; a new command is one more entry.
const THostCommand* const Commands[] = {
    &InfoCommand,
    &RenderCommand,
#ifndef _WIN32
    &PlayCommand,  // needs the plug-in as a shared library and ALSA
#endif
};

void PrintUsage(std::FILE* Out)
{
    std::fprintf(Out, "usage: morvel [--log] COMMAND ARGS...\n\ncommands:\n");
    for (const THostCommand* command : Commands)
        std::fprintf(Out, "  %s %s\n      %s\n", command->Name, command->Usage, command->About);
    std::fprintf(Out, "\n--log  also echo the loader's log (mrvldebug.txt) to standard error\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    SetDebugLogConsole(nullptr);
    if (!args.empty() && args.front() == "--log") {
        SetDebugLogConsole(stderr);
        args.erase(args.begin());
    }
    if (args.empty() || args.front() == "--help" || args.front() == "-h" || args.front() == "help") {
        PrintUsage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    for (const THostCommand* command : Commands) {
        if (args.front() == command->Name)
            return command->Run(std::vector<std::string>(args.begin() + 1, args.end()), stdout, stderr);
    }
    std::fprintf(stderr, "morvel: unknown command \"%s\"\n\n", args.front().c_str());
    PrintUsage(stderr);
    return 2;
}
