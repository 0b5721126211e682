#include "player/DmfPlayback.h"

#include <cstdint>

#include "player/DmfSong.h"

void TDmfPlayback::Start()
{
    Song.Start();
    Position = 0.0;
}

bool TDmfPlayback::Playing() const
{
    return Song.Playing;
}

int32_t TDmfPlayback::StepBytes() const
{
    return Song.BlockBytes;
}

void TDmfPlayback::Render(void* Dest, int32_t Count)
{
    Song.RenderBlock(Dest, Count);
    Position += BytesToMs(Count);
}

int32_t TDmfPlayback::RenderStep(void* Dest)
{
    const int32_t count = StepBytes();
    Render(Dest, count);
    return count;
}

void TDmfPlayback::Seek(double TargetMs, const std::atomic<bool>* Cancel)
{
    if (TargetMs < Position) {
        Song.Stop();
        Song.Rewind();
        Song.Start();
        Position = 0.0;
    }
    // Each skipped tick counts the length the song holds after it.
    while (TargetMs > Position && Song.Playing && !(Cancel && *Cancel)) {
        Song.SkipBlock();
        Position += BytesToMs(Song.BlockBytes);
    }
}

uint64_t PlayedBytes(TDmf& Song)
{
    Song.Start();
    int64_t queued = Song.QueuedBytes();  // mixed but not yet handed out
    int64_t total = 0;
    do {
        const int32_t step = Song.BlockBytes;
        if (total + step > INT32_MAX)
            break;
        while (step > queued) {
            Song.SkipBlock();
            queued += Song.BlockBytes;
        }
        queued -= step;
        total += step;
    } while (Song.Playing);
    Song.Stop();
    Song.Rewind();
    return static_cast<uint64_t>(total);
}
