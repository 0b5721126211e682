#pragma once
// The pattern sequence: which pattern plays at each position of the song.

#include <array>
#include <cstdint>

#include "player/DmfLimits.h"

class TSequencer {
public:
    // Entries[I]; 0 when I is outside 0..2047 or at or past Count.
    int32_t GetEntry(int32_t I) const;
    // Ignored outside 0..2047; extends Count to I + 1 when needed.
    void SetEntry(int32_t I, int32_t V);
    // 0 unless 0 < V <= LoopEnd and V < Count.
    void SetLoopStart(int32_t V);
    // Ignored when V <= 0, V < LoopStart or the sequence is empty; held to Count - 1.
    void SetLoopEnd(int32_t V);
    // Sets Count directly (the loader does before filling), held to 0..2048.
    void SetCount(int32_t N);

    std::array<int32_t, MaxSequenceEntries> Entries{};  // pattern numbers
    int32_t Count = 0;                                  // valid entries
    int32_t LoopStart = 0;                              // loop start read from the file; playback does not use it
    int32_t LoopEnd = 0;                                // index of the last entry that plays
};
