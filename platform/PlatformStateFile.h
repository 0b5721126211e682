#pragma once
// Where a program keeps a file of its own state (a log) on this system.
// Windows: in the current folder, where users of a Winamp plug-in look for
// it. Elsewhere: in the user's state folder, $XDG_STATE_HOME/<Program>/ (by
// default ~/.local/state/<Program>/), so that no folder a user works in, nor
// the root folder, grows such a file.

#include <string>

// The file's path; empty when there is no usable place for it (no absolute
// $XDG_STATE_HOME and no absolute $HOME).
std::string PlatformStateFilePath(const std::string& Program, const std::string& FileName);

// Makes the folders the file lies in, readable by their owner only as state
// folders are; false when they could not be made (or on Windows, where the
// current folder needs none).
bool PlatformMakeStateFolders(const std::string& FilePath);
