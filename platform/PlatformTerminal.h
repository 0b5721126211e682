#pragma once
// The terminal the program's text goes to, if any: whether a stream is one,
// how wide it is, and the process's own terminal. PlatformTerminalWin32.cpp
// asks the console, PlatformTerminalNative.cpp the terminal driver.

#include <cstdio>

// True when Stream writes to a terminal.
bool PlatformIsTerminal(std::FILE* Stream);
// The width in columns of the terminal Stream writes to; 0 when it is no
// terminal or does not say.
int PlatformTerminalColumns(std::FILE* Stream);
// True when standard input comes from a terminal (the keys of morvel play).
bool PlatformInputIsTerminal();
// The process's terminal, opened anew for writing (the caller closes it);
// null when the process has none.
std::FILE* PlatformOpenTerminal();
