#pragma once
// The playback pass driven as its players drive it: one render step at a time.

#include <cstdint>
#include <vector>

#include "player/DmfPlayback.h"

// Renders the pass's next render step into Dest (room for MaxTickBytes) and
// returns its byte count: 0, with nothing rendered, once the song's length
// has gone out.
inline int32_t RenderStep(TDmfPlayback& Playback, void* Dest)
{
    const int32_t count = Playback.StepBytes();
    if (count > 0) {
        Playback.Render(Dest, count);
    }
    return count;
}

// The bytes the pass hands out from where it stands to the song's end, step
// by step.
inline std::vector<uint8_t> RenderRest(TDmfPlayback& Playback)
{
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(MaxTickBytes);
    while (Playback.Playing()) {
        const int32_t n = RenderStep(Playback, buffer.data());
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    return pcm;
}
