#pragma once
// Where the diagnostic log is written. The Windows plug-in appends to
// mrvldebug.txt in the host's current folder, where its users look for it.
// Elsewhere the log goes to the user's state folder, $XDG_STATE_HOME/morvel/
// (by default ~/.local/state/morvel/), so that no folder a user works in, nor
// the root folder, grows a log.

#include <string>

// The log file's path; empty when there is no usable place for it (no
// absolute $XDG_STATE_HOME and no absolute $HOME): then no file is written.
std::string LogFilePath();

// Makes the folders the log file lies in, readable by their owner only as
// state folders are; false when they could not be made (or on Windows, where
// the current folder needs none).
bool MakeLogFolders(const std::string& LogPath);
