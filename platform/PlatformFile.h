#pragma once
#include <string>

// True when Path names an existing file that is not a directory.
bool PlatformIsFile(const std::string& Path);
