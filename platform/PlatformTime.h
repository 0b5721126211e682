#pragma once
#include <string>

// Suspends the calling thread for the given number of milliseconds.
void PlatformSleep(unsigned milliseconds);

// The current local date and time as text, e.g. "07.12.2026 08:15:02".
std::string PlatformLocalDateTime();
