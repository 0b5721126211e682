#pragma once
// Song time and the output frames it renders to. A song's time is counted in
// frames of 44100 Hz whatever rate it renders at: its ticks (BlockBytes / 4
// frames each), its length, a seek's target and landing, the play position.
// The first SongFrames frames of song time render to OutputFramesOf(SongFrames,
// Rate) output frames, rounded to the nearest (halves up): a tick renders the
// output frames between its start's and its end's, so the fraction of a frame
// carries from tick to tick and a song renders round(F x Rate / 44100) frames
// in all, F being its frames at 44100 Hz. At 44100 Hz every count is the song
// frames' own.

#include <cstdint>

#include "player/DmfLimits.h"
#include "player/DmfOutputFormat.h"

// Exact in 64 bits for any song time a song reaches (SongFrames >= 0).
constexpr int64_t OutputFramesOf(int64_t SongFrames, int32_t Rate)
{
    return (SongFrames * Rate + OutputRate / 2) / OutputRate;
}

// The output bytes of the first SongBytes bytes of song time (bytes at 44100 Hz).
constexpr int64_t OutputBytesOf(int64_t SongBytes, int32_t Rate)
{
    return OutputBytesPerFrame * OutputFramesOf(SongBytes / OutputBytesPerFrame, Rate);
}

// The most output frames one tick renders at Rate: the longest tick's song
// frames at the rate, rounded up (the rounded ends of a tick lie at most that
// far apart).
constexpr int32_t MaxTickFramesAt(int32_t Rate)
{
    constexpr int64_t longest = MaxTickBytes / OutputBytesPerFrame;
    return static_cast<int32_t>((longest * Rate + OutputRate - 1) / OutputRate);
}

// The most output bytes one tick renders at Rate, and so the most a song
// hands out in one call.
constexpr int32_t MaxTickBytesAt(int32_t Rate)
{
    return OutputBytesPerFrame * MaxTickFramesAt(Rate);
}

static_assert(MaxTickBytesAt(OutputRate) == MaxTickBytes, "at 44100 Hz the largest tick is the song's own");
