#include "host/HostCommand.h"

#include <algorithm>
#include <vector>

#include "module/LoadLog.h"

namespace {

// The options every command takes.
constexpr THostOption CommonOptions[] = {
    {"--log", 0, nullptr, "also echo the loader's log to standard error"},
    {"--help", 'h', nullptr, "show this help and exit"},
};

// Help texts beside names start at most this far in; a longer name gets a line of its own.
constexpr size_t TextColumn = 26;

// The command's options and the common ones.
std::vector<THostOption> AllOptions(const THostCommand& Command)
{
    std::vector<THostOption> options(Command.Options.begin(), Command.Options.end());
    options.insert(options.end(), std::begin(CommonOptions), std::end(CommonOptions));
    return options;
}

std::string OptionName(const THostOption& Option)
{
    std::string name = Option.Short ? std::string("-") + Option.Short + ", " : "    ";
    name += Option.Long;
    if (Option.Value) {
        name += std::string(" ") + Option.Value;
    }
    return name;
}

}  // namespace

std::string WrapText(const std::string& Text, size_t Indent, size_t Width)
{
    std::string wrapped;
    std::string line;
    size_t start = 0;
    while (start < Text.size()) {
        size_t end = Text.find(' ', start);
        if (end == std::string::npos) {
            end = Text.size();
        }
        const std::string word = Text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) {
            continue;
        }
        if (!line.empty() && Indent + line.size() + 1 + word.size() > Width) {
            wrapped += std::string(Indent, ' ') + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) {
        wrapped += std::string(Indent, ' ') + line + "\n";
    }
    return wrapped;
}

std::string TwoColumnHelp(const std::vector<std::pair<std::string, std::string>>& Entries)
{
    size_t column = 0;
    for (const auto& [name, text] : Entries) {
        column = std::max(column, 2 + name.size() + 2);
    }
    column = std::min(column, TextColumn);
    std::string help;
    for (const auto& [name, text] : Entries) {
        const std::string head = "  " + name;
        std::string lines = WrapText(text, column);
        if (head.size() + 2 <= column) {
            lines.replace(0, head.size(), head);
        } else {
            lines.insert(0, head + "\n");
        }
        help += lines;
    }
    return help;
}

std::string OptionsHelp(std::span<const THostOption> Options)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (const THostOption& option : Options) {
        entries.emplace_back(OptionName(option), option.Help);
    }
    return TwoColumnHelp(entries);
}

std::string CommandSynopsis(const THostCommand& Command)
{
    return std::string("morvel ") + Command.Name + " [OPTION...] " + Command.Operands;
}

std::string CommandHelp(const THostCommand& Command)
{
    std::string help = "usage: " + CommandSynopsis(Command) + "\n\n" + WrapText(Command.About, 0) + "\noptions:\n" +
                       OptionsHelp(AllOptions(Command));
    if (Command.MoreHelp) {
        help += '\n';
        help += Command.MoreHelp();
    }
    return help;
}

int CommandUsageError(const THostCommand& Command, const std::string& Error, std::FILE* Err)
{
    std::fprintf(Err, "morvel %s: %s\nusage: %s\nTry 'morvel %s --help' for more.\n", Command.Name, Error.c_str(),
                 CommandSynopsis(Command).c_str(), Command.Name);
    return 2;
}

bool ReadCommandArgs(const THostCommand& Command, const std::vector<std::string>& Args, THostArgs& Parsed,
                     std::FILE* Out, std::FILE* Err, int& Status)
{
    std::string error;
    if (ParseHostArgs(Args, AllOptions(Command), Parsed, error) && Parsed.Has("--help")) {
        const std::string help = CommandHelp(Command);
        std::fwrite(help.data(), 1, help.size(), Out);
        Status = 0;
        return false;
    }
    if (error.empty() && Parsed.Operands.empty()) {
        error = "no file given";
    }
    if (!error.empty()) {
        Status = CommandUsageError(Command, error, Err);
        return false;
    }
    if (Parsed.Has("--log")) {
        SetDebugLogConsole(Err);
    }
    return true;
}
