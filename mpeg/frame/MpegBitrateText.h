#pragma once
// Bit-rate texts of MPEG audio headers ("128 kbit/s", "free format", "forbidden").

#include <cstdint>
#include <string>

// Version 1 = MPEG-1, 0 = MPEG-2; Layer 1..3; Index 0..15. Out-of-range input gives "".
std::string BitrateText(int Version, int Layer, int Index);
