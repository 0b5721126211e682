#pragma once
// Files by name, and streams made fit for bytes. PlatformFileWin32.cpp and
// PlatformFileNative.cpp make the calls.

#include <cstdio>
#include <string>

// True when Path names an existing file that is not a directory.
bool PlatformIsFile(const std::string& Path);

// A file made anew at Path and opened for writing bytes: never through a link
// nor over anything already there. Null when it cannot be made, with errno
// saying why (EEXIST: something has that name already).
std::FILE* PlatformCreateNewFile(const std::string& Path);

// Lets Stream carry bytes unchanged: Windows opens the standard streams as
// text, whose newlines it would translate. Elsewhere there is nothing to do.
void PlatformSetBinaryMode(std::FILE* Stream);
