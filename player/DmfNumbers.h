#pragma once
// Rounding as the engine does it everywhere: to the nearest integer, halves to even.

#include <cmath>
#include <cstdint>

inline int64_t RoundHalfEven(double x)
{
    // nearbyint honours the default rounding mode, which is round-half-even.
    return static_cast<int64_t>(std::nearbyint(x));
}
