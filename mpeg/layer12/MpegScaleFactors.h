#pragma once
// Scale factors of Layer I and II: entry i = 2^(1 - i/3), entry 63 = 0 (silence).

#include <array>

inline constexpr int ScaleFactorCount = 64;

extern const std::array<float, ScaleFactorCount> ScaleFactorTable;  // computed at start-up
