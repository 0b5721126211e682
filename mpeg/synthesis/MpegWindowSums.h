#pragma once
// The window sums of the synthesis filter: the 32 PCM samples of a block from the
// history and the window, each sum accumulated in double from tap 0 to tap 15.
// Two ways with the same results, bit for bit: pairs of doubles (SSE2, every x86
// processor this builds for) and fours (AVX, where the processor has it).

#include <array>
#include <cstdint>

// The PCM of a block written at a fixed column: V is the history half that took
// the block's first half (32 rows by 16 columns, index 32 * column + row), Window
// the scaled window tap by tap (index 32 * tap + row).
using TWindowSums = void (*)(const double* V, const double* Window, int16_t* Pcm);
// The sums for each write column 0..15.
using TWindowSumsByColumn = std::array<TWindowSums, 16>;

// The sums in pairs of doubles.
const TWindowSumsByColumn& WindowSumsInPairs();
// The sums in fours, or null when the processor lacks AVX.
const TWindowSumsByColumn* WindowSumsInFours();
// The fastest of the two this processor runs.
const TWindowSumsByColumn& WindowSumsForThisProcessor();
