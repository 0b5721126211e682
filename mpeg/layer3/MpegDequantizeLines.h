#pragma once
// The first step of Layer III dequantisation, for a run of lines.

#include <cstdint>

#include "platform/PlatformCodePath.h"

// Lines First..Stop-1 of Values dequantised into Out: the sign of the value on
// |value|^(4/3) (from the table, magnitudes limited to its last entry), times Gain,
// then, with Factors, times the line's factor Factors[line].
void DequantizeLines(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out);

// The same on a code path: eight lines at a time on avx2, four below it,
// with the same results. DequantizeLines runs the process's path.
using TDequantizeLines = void (*)(const int16_t* Values, float Gain, const float* Factors, int First, int Stop,
                                  float* Out);
TDequantizeLines DequantizeLinesOf(TCodePath Path);
