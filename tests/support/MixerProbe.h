#pragma once
// The tests' seam into the mixer's private buffers of a song: the
// accumulators, their rounded values and the last tick's PCM, to check a
// tick's mix sample by sample.

#include <cstdint>
#include <vector>

#include "player/DmfMixFrame.h"
#include "player/DmfSong.h"

struct TDmfMixerProbe {
    // Left, right interleaved accumulators of the last tick mixed.
    static std::vector<float>& MixBuffer(TDmf& Song) { return Song.MixBuffer; }
    // Accumulator I rounded to an integer, as the mixer rounds it before the
    // shift to 16 bits.
    static int32_t MixInt(TDmf& Song, size_t I) { return static_cast<int32_t>(MixRounded(Song.MixBuffer.at(I))); }
    // 16-bit stereo PCM of the last tick mixed.
    static std::vector<uint8_t>& TickBuffer(TDmf& Song) { return Song.TickBuffer; }
    static const std::vector<uint8_t>& TickBuffer(const TDmf& Song) { return Song.TickBuffer; }
};
