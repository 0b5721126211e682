#pragma once
// The tests' seam into the mixer's private buffers of a song: the
// accumulators, their rounded values and the last tick's PCM, to check a
// tick's mix sample by sample.

#include <cstdint>
#include <vector>

#include "player/DmfMixFrame.h"
#include "player/DmfSong.h"

struct TDmfMixerProbe {
    // The accumulators of the last tick mixed (of the longest tick), left,
    // right interleaved.
    static std::vector<float> MixBuffer(TDmf& Song)
    {
        const float* left = MixLeftOf(Song.MixBuffer.data());
        std::vector<float> sums;
        for (int32_t k = 0; k < Song.BufferFrames; ++k) {
            sums.push_back(left[k]);
            sums.push_back(left[Song.MixRight + k]);
        }
        return sums;
    }
    // Accumulator I (left, right interleaved) rounded to an integer, as the
    // mixer rounds it before the shift to 16 bits.
    static int32_t MixInt(TDmf& Song, size_t I)
    {
        const float* left = MixLeftOf(Song.MixBuffer.data());
        return static_cast<int32_t>(MixRounded(left[I / 2 + (I % 2) * static_cast<size_t>(Song.MixRight)]));
    }
    // 16-bit stereo PCM of the last tick mixed.
    static std::vector<uint8_t>& TickBuffer(TDmf& Song) { return Song.TickBuffer; }
    static const std::vector<uint8_t>& TickBuffer(const TDmf& Song) { return Song.TickBuffer; }
};
