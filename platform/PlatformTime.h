#pragma once
#include <ctime>
#include <string>

// The local calendar time of a moment. PlatformTimeWin32.cpp and
// PlatformTimeNative.cpp ask the system, each in its own thread-safe way.
std::tm PlatformLocalTime(std::time_t Moment);

// The current local date and time as text, e.g. "07.12.2026 08:15:02".
std::string PlatformLocalDateTime();
