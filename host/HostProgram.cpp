#include "host/HostProgram.h"

#include "host/HostInfo.h"
#include "host/HostRender.h"
#include "module/LoadLog.h"

namespace {

constexpr THostOption ProgramOptions[] = {
    {"--log", 0, nullptr, "also echo the loader's log to standard error"},
    {"--version", 'V', nullptr, "show the program's version and exit"},
    {"--help", 'h', nullptr, "show this help and exit"},
};

std::string ProgramSynopsis()
{
    return "usage: morvel [--log] COMMAND [OPTION...] FILE...\n"
           "       morvel --version | --help | COMMAND --help\n";
}

const THostCommand* FindCommand(const std::string& Name)
{
    for (const THostCommand* command : HostCommands()) {
        if (Name == command->Name) {
            return command;
        }
    }
    return nullptr;
}

void Print(std::FILE* Stream, const std::string& Text)
{
    std::fwrite(Text.data(), 1, Text.size(), Stream);
    std::fflush(Stream);
}

}  // namespace

std::span<const THostCommand* const> HostCommands()
{
    // A new command for every system is one more entry here.
    static const std::vector<const THostCommand*> commands = [] {
        std::vector<const THostCommand*> all = {&InfoCommand, &RenderCommand};
        const std::span<const THostCommand* const> own = SystemCommands();
        all.insert(all.end(), own.begin(), own.end());
        return all;
    }();
    return commands;
}

std::string VersionText()
{
    return std::string("morvel ") + MORVEL_VERSION;
}

std::string ProgramHelp()
{
    std::string help = ProgramSynopsis() + "\ncommands:\n";
    for (const THostCommand* command : HostCommands()) {
        std::string line = WrapText(command->Summary, 10);
        line.replace(0, 2 + std::string(command->Name).size(), std::string("  ") + command->Name);
        help += line;
    }
    help += "\noptions:\n" + OptionsHelp(ProgramOptions) + '\n';
    help += WrapText("'morvel COMMAND --help' lists the options of a command. The loader logs every load to "
                     "$XDG_STATE_HOME/morvel/mrvldebug.txt (by default ~/.local/state/morvel/); see morvel(1).",
                     0);
    return help;
}

int RunProgram(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err)
{
    // The program's own options stand before the command.
    size_t first = 0;
    for (; first < Args.size() && !Args[first].empty() && Args[first][0] == '-'; ++first) {
        const std::string& arg = Args[first];
        if (arg == "--log") {
            SetDebugLogConsole(Err);
        } else if (arg == "--version" || arg == "-V") {
            Print(Out, VersionText() + "\n");
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            Print(Out, ProgramHelp());
            return 0;
        } else {
            Print(Err, "morvel: unknown option " + arg + "\n" + ProgramSynopsis() + "Try 'morvel --help' for more.\n");
            return 2;
        }
    }
    if (first == Args.size()) {
        Print(Err, ProgramSynopsis() + "Try 'morvel --help' for more.\n");
        return 2;
    }
    const std::string& name = Args[first];
    const std::vector<std::string> rest(Args.begin() + static_cast<std::ptrdiff_t>(first) + 1, Args.end());
    if (name == "help") {
        if (rest.empty()) {
            Print(Out, ProgramHelp());
            return 0;
        }
        if (const THostCommand* command = FindCommand(rest.front())) {
            Print(Out, CommandHelp(*command));
            return 0;
        }
    } else if (const THostCommand* command = FindCommand(name)) {
        return command->Run(rest, Out, Err);
    }
    const std::string unknown = name == "help" ? rest.front() : name;
    Print(Err, "morvel: unknown command \"" + unknown + "\"\n" + ProgramSynopsis() + "Try 'morvel --help' for more.\n");
    return 2;
}
