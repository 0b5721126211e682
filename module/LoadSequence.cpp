// The pattern sequence block: loop points and 16-bit pattern numbers.

#include <algorithm>

#include "module/LoadLog.h"
#include "module/LoadReader.h"
#include "player/DmfSong.h"

namespace {
// Keeps the loop end (at most Count - 1) reachable by the 16-bit sequence position.
constexpr int32_t MaxSequenceCount = 65535;
}  // namespace

void TDmf::ReadSequence()
{
    TFieldReader in(*Stream);
    const int32_t length = in.I32();
    const uint16_t loopStart = in.U16();
    const uint16_t loopEnd = in.U16();
    const std::vector<uint8_t> entries = in.Available(static_cast<int64_t>(length) - 4);

    // The new length replaces the old one even when shorter; positions past the
    // stored entries read as pattern 0.
    const int32_t count = std::min<int32_t>(static_cast<int32_t>(entries.size() / 2), MaxSequenceCount);
    Sequencer.Count = count;
    for (int32_t i = 0; i < std::min(count, MaxSequenceEntries); ++i) {
        const size_t at = static_cast<size_t>(i) * 2;
        Sequencer.SetEntry(i, entries[at] | (entries[at + 1] << 8));
    }
    Sequencer.SetLoopEnd(loopEnd);
    Sequencer.SetLoopStart(loopStart);
    DebugLog("dmfReadSEQU: " + Hex4(static_cast<uint32_t>(length)) + " bytes");
}
