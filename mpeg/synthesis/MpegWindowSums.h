#pragma once
// The window sums of the synthesis filter: a block's matrixing stored in the
// history, then the block's 32 PCM samples from the history and the window,
// each sum accumulated in double from tap 0 to tap 15. The code paths give the
// same results, bit for bit: one sum at a time on plain, pairs of doubles on
// sse2 and fours on avx2 (with AVX).

#include <cstdint>

#include "platform/PlatformCodePath.h"

// One block: V holds the block's 64 matrixing values V[0..63] as floats (16-byte
// aligned). They are widened into column Column (0..15) of the two history halves,
// V[0..31] into Actual and V[32..63] into Other (32 rows by 16 columns each, index
// 32 * column + row, 32-byte aligned); then output sample j is the sum over taps
// t = 0..15 of Actual[32 * ((Column - t) mod 16) + j] * Window[32 * t + j],
// truncated toward zero and limited to 16 bits (a non-number gives 0).
using TWindowSums = void (*)(const float* V, double* Actual, double* Other, int Column, const double* Window,
                             int16_t* Pcm);

// The sums on the widest path at or below Path that the build holds and the
// processor runs.
TWindowSums WindowSumsOf(TCodePath Path);
