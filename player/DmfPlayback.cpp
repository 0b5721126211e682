#include "player/DmfPlayback.h"

#include <algorithm>
#include <cstdint>

#include "player/DmfSong.h"

TDmfPlayback::TDmfPlayback(TDmf& Song) : Song(Song), End(Song.LengthBytes)
{
}

void TDmfPlayback::Start()
{
    if (Song.LengthBytes <= 0) {
        Song.MeasureLength(true);
    }
    // Voices still sounding from an earlier run end first.
    Song.Stop();
    Song.Start();
    Song.DiscardQueued();
    Position = 0;
    End = Song.LengthBytes;
}

int32_t TDmfPlayback::StepBytes() const
{
    return static_cast<int32_t>(std::clamp<int64_t>(End - Position, 0, Song.BlockBytes));
}

void TDmfPlayback::Render(void* Dest, int32_t Count)
{
    Song.RenderBlock(Dest, Count);
    Position += Count;
}

void TDmfPlayback::Seek(double TargetMs, const std::atomic<bool>* Cancel)
{
    // Compared in bytes, so that a target on a tick's end lands there.
    const double target = MsToBytes(TargetMs);
    if (target < static_cast<double>(Position)) {
        Song.Stop();
        Song.Rewind();
        Song.Start();
        Position = 0;
    } else {
        // The song has run on past the position by what it holds mixed: the
        // skipping starts from where the song stands.
        Position = std::min(Position + Song.QueuedBytes(), End);
    }
    Song.DiscardQueued();
    // Each skipped tick counts the length the song holds after it; the song's
    // end (or its cut at the 32-bit byte total) ends the skipping.
    while (target > static_cast<double>(Position) && Position < End && Song.Playing && !(Cancel && *Cancel)) {
        Song.SkipBlock();
        Position = std::min(Position + Song.BlockBytes, End);
    }
}
