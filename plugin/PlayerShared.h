#pragma once
// What the playback driver and its player thread share while a song plays:
// the driver's flags, the play position and the lock around the output's
// writes. The driver owns it; the thread reads and writes nothing else of it.

#include <atomic>
#include <cstdint>
#include <mutex>

struct TPlayerShared {
    std::atomic<bool> StopRequested{false};
    std::atomic<bool> Paused{false};
    // The song time of what has gone to the output, in milliseconds, and the
    // target of a seek not yet carried out (-1: none). MS is the spelling the
    // driver has always given these two; the engine's own is Ms.
    std::atomic<double> PositionMS{0.0};
    std::atomic<int32_t> SeekTargetMS{-1};
    // The host's output is open for the song: its clocks count what it holds.
    // Cleared before it is closed, after which they say nothing of the song.
    std::atomic<bool> OutputOpen{false};
    // Held by the player thread around each piece it writes (the output's room
    // read, then the write) and by Pause and UnPause around the output's
    // Pause: a piece never lands in an output that was paused meanwhile.
    std::mutex OutputWrite;
    static_assert(std::atomic<double>::is_always_lock_free, "the play position is read whole without a lock");
};
