#pragma once
// Stereo separation: how much of the difference between a tick's left and
// right outputs is kept, in percent of what the voices' pannings make (0 both
// outputs the same, 100 as mixed, 200 twice the difference). It acts on the
// tick's accumulators as middle and side, (l + r) / 2 and (l - r) / 2, before
// they become PCM: every code path runs this one loop, so every path gives
// the same bits, and the mixer does not call it at 100, which keeps the mix
// as it is bit for bit.

#include <cstdint>

inline void SeparateStereo(float* Left, float* Right, int32_t Frames, int32_t Percent)
{
    const float scale = static_cast<float>(Percent) / 100.0f;
    for (int32_t k = 0; k < Frames; ++k) {
        const float middle = (Left[k] + Right[k]) * 0.5f;
        const float side = (Left[k] - Right[k]) * 0.5f * scale;
        // At 0 the side is zero: both outputs are the middle, exactly.
        Left[k] = middle + side;
        Right[k] = middle - side;
    }
}
