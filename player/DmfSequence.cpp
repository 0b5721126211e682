#include "player/DmfSequence.h"

#include <algorithm>

int32_t TSequencer::GetEntry(int32_t I) const
{
    if (I < 0 || I >= MaxSequenceEntries || I >= Count) {
        return 0;
    }
    return Entries[static_cast<size_t>(I)];
}

void TSequencer::SetEntry(int32_t I, int32_t V)
{
    if (I < 0 || I >= MaxSequenceEntries) {
        return;
    }
    Entries[static_cast<size_t>(I)] = V;
    if (I >= Count) {
        Count = I + 1;
    }
}

void TSequencer::SetLoopStart(int32_t V)
{
    LoopStart = (V <= 0 || V > LoopEnd || V >= Count) ? 0 : V;
}

void TSequencer::SetLoopEnd(int32_t V)
{
    // An empty sequence has no last entry: storing -1 would make the song never end.
    if (V <= 0 || V < LoopStart || Count <= 0) {
        return;
    }
    LoopEnd = V < Count ? V : Count - 1;
}

void TSequencer::SetCount(int32_t N)
{
    Count = std::clamp<int32_t>(N, 0, MaxSequenceEntries);
}
