#pragma once
// The playback pass driven as its players drive it: one render step at a time.

#include <cstdint>
#include <vector>

#include "player/DmfPlayback.h"
#include "player/DmfSongTime.h"
#include "player/DmfSoundSettings.h"

// Room for the longest render step at any rate.
inline constexpr int32_t StepRoomBytes = MaxTickBytesAt(MaxOutputRate);

// Renders the pass's next render step into Dest (room for the song's
// MaxTickBytesAt(rate)) and returns its byte count: 0 once the song's length
// has gone out, or for a step of no output frames (which it ends all the same).
inline int32_t RenderStep(TDmfPlayback& Playback, void* Dest)
{
    const int32_t count = Playback.StepBytes();
    if (Playback.Playing()) {
        Playback.Render(Dest, count);
    }
    return count;
}

// The pass's steps to the song's end, one after another.
inline std::vector<uint8_t> RenderRest(TDmfPlayback& Playback)
{
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(StepRoomBytes);
    while (Playback.Playing()) {
        const int32_t n = RenderStep(Playback, buffer.data());
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    return pcm;
}

// The whole song from the pass's start, step by step.
inline std::vector<uint8_t> RenderToEnd(TDmfPlayback& Playback)
{
    Playback.Start();
    return RenderRest(Playback);
}
