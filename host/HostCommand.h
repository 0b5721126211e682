#pragma once
// A command of the morvel program: its name, a usage line and what runs it.

#include <cstdio>
#include <string>
#include <vector>

struct THostCommand {
    const char* Name;   // the word after "morvel"
    const char* Usage;  // arguments, for the help text
    const char* About;  // one line on what it does
    // Runs the command with the arguments after its name; returns the exit code.
    int (*Run)(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
};
