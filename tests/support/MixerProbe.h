#pragma once
// The tests' seam into the mixer's private buffers of a song: the
// accumulators, their rounded values and the last tick's PCM, to check a
// tick's mix sample by sample.

#include <cstdint>
#include <vector>

#include "player/DmfSong.h"

struct TDmfMixerProbe {
    // Left, right interleaved accumulators of the last tick mixed.
    static std::vector<float>& MixBuffer(TDmf& Song) { return Song.MixBuffer; }
    // The accumulators rounded.
    static std::vector<int32_t>& MixInts(TDmf& Song) { return Song.MixInts; }
    // 16-bit stereo PCM of the last tick mixed.
    static std::vector<uint8_t>& TickBuffer(TDmf& Song) { return Song.TickBuffer; }
    static const std::vector<uint8_t>& TickBuffer(const TDmf& Song) { return Song.TickBuffer; }
};
