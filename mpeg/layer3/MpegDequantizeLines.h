#pragma once
// The first step of Layer III dequantisation, for a run of lines.

#include <cstdint>

// Lines First..Stop-1 of Values dequantised into Out: the sign of the value on
// |value|^(4/3) (from the table, magnitudes limited to its last entry), times Gain,
// then, with Factors, times the line's factor Factors[line].
void DequantizeLines(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out);

// The same as every processor runs it, and with AVX2 (the same results; null where
// the processor lacks AVX2). DequantizeLines takes the second where there is one.
using TDequantizeLines = void (*)(const int16_t* Values, float Gain, const float* Factors, int First, int Stop,
                                  float* Out);
TDequantizeLines DequantizeLinesPlain();
TDequantizeLines DequantizeLinesWithAvx2();
