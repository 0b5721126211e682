#pragma once
// Where the diagnostic log is written: the program's state file (see
// platform/PlatformStateFile.h). The Windows plug-in appends to mrvldebug.txt
// in the host's current folder, where its users look for it; elsewhere the
// log goes to $XDG_STATE_HOME/morvel/ (by default ~/.local/state/morvel/).

#include <string>

// The log file's path; empty when there is no usable place for it (no
// absolute $XDG_STATE_HOME and no absolute $HOME): then no file is written.
std::string LogFilePath();
