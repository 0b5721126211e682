#pragma once
// A command of the morvel program: its name, what it does, its options and
// what runs it; and what every command shares: the help text made from these,
// and the command line's reading with the options all of them take (--help,
// --log).

#include <cstdio>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/HostOptions.h"

struct THostCommand {
    const char* Name;                      // the word after "morvel"
    const char* Operands;                  // after the options in the synopsis, e.g. "FILE..."
    const char* Summary;                   // one short line for the program's help
    const char* About;                     // what it does, for its own help (wrapped there)
    std::span<const THostOption> Options;  // its own options
    // More of its help after the options (a list of keys); may be null.
    std::string (*MoreHelp)();
    // Runs the command with the arguments after its name; returns the exit code.
    int (*Run)(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
};

// Lines of help text are at most this wide.
inline constexpr size_t HelpColumns = 80;

// Text broken into lines of at most Width columns at spaces, each line after
// Indent spaces (a word longer than a line stands alone).
std::string WrapText(const std::string& Text, size_t Indent, size_t Width = HelpColumns);

// Help lines of names and what they stand for, "  NAME  TEXT", the texts in
// one column (wrapped there; after a name too long for it, on the next line).
std::string TwoColumnHelp(const std::vector<std::pair<std::string, std::string>>& Entries);

// The option table as help lines: "  -o, --output OUT  what it does".
std::string OptionsHelp(std::span<const THostOption> Options);

// "morvel NAME [OPTION...] OPERANDS"
std::string CommandSynopsis(const THostCommand& Command);
// The whole help of "morvel NAME --help".
std::string CommandHelp(const THostCommand& Command);

// Reports a usage error of the command (Error, its synopsis, where to look
// for more) on Err; returns the exit status for it, 2.
int CommandUsageError(const THostCommand& Command, const std::string& Error, std::FILE* Err);

// Reads the command's arguments: false when the command is to end at once
// with Status (its help was asked for: 0; a usage error, reported with the
// synopsis on Err: 2). --log turns the loader's log echo to Err on.
bool ReadCommandArgs(const THostCommand& Command, const std::vector<std::string>& Args, THostArgs& Parsed,
                     std::FILE* Out, std::FILE* Err, int& Status);
