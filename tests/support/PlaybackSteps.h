#pragma once
// The playback pass driven as its players drive it: one render step at a time.

#include <cstdint>

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
