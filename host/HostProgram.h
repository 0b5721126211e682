#pragma once
// The morvel program: its commands, its own options and help, and the run of
// a whole command line.
//   morvel [--log] COMMAND [OPTION...] FILE...
//   morvel --version | --help | help [COMMAND]

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "host/HostCommand.h"

// Every command of the program on this system: info and render, then the
// system's own.
std::span<const THostCommand* const> HostCommands();
// The commands only some systems have: play on Linux (HostProgramNative.cpp,
// the plug-in as a shared library on ALSA); none on Windows
// (HostProgramWin32.cpp), where Winamp plays through the plug-in.
std::span<const THostCommand* const> SystemCommands();

// "morvel 0.7.5"
std::string VersionText();
// The help of "morvel --help".
std::string ProgramHelp();

// Runs the command line after the program's name; returns the exit code.
int RunProgram(const std::vector<std::string>& Args, std::FILE* Out, std::FILE* Err);
