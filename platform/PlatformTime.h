#pragma once
#include <string>

// The current local date and time as text, e.g. "07.12.2026 08:15:02".
std::string PlatformLocalDateTime();
