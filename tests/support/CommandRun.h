#pragma once
// Runs a command of the morvel program in this process, as the program does
// (the loader's log echo silenced), and keeps what it wrote.

#include <cstdio>
#include <string>
#include <vector>

#include "module/LoadLog.h"

struct TCommandRun {
    int Status = -1;  // exit code; -1 when no temporary file could be made
    std::string Out;  // standard output
    std::string Err;  // standard error
};

using TCommandFunction = int (*)(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);

inline std::string ReadBackAndClose(std::FILE* File)
{
    std::string text;
    std::rewind(File);
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, File)) > 0) {
        text.append(chunk, count);
    }
    std::fclose(File);
    return text;
}

inline TCommandRun RunCommand(TCommandFunction Command, const std::vector<std::string>& Args)
{
    TCommandRun run;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out && err) {
        std::FILE* echo = DebugLogConsole();
        SetDebugLogConsole(nullptr);
        run.Status = Command(Args, out, err);
        SetDebugLogConsole(echo);
    }
    if (out) {
        run.Out = ReadBackAndClose(out);
    }
    if (err) {
        run.Err = ReadBackAndClose(err);
    }
    return run;
}
