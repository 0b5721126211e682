#include "player/DmfPlayback.h"

#include <algorithm>
#include <cstdint>

#include "player/DmfSong.h"
#include "player/DmfSongTime.h"

TDmfPlayback::TDmfPlayback(TDmf& Song) : Song(Song), End(Song.LengthBytes), Rate(Song.SoundInForce().Rate)
{
}

void TDmfPlayback::Start()
{
    if (Song.LengthBytes <= 0) {
        Song.MeasureLength(true);
    }
    // Voices still sounding from an earlier run end first; the song's time
    // starts again from 0, loaded or not.
    Song.Stop();
    Song.Rewind();
    Song.Start();
    Song.DiscardQueued();
    Position = StepStart = StepEnd = Handed = 0;
    End = Song.LengthBytes;
    Rate = Song.SoundInForce().Rate;
}

int64_t TDmfPlayback::OutputBytesAt(int64_t SongBytes) const
{
    return OutputBytesOf(SongBytes, Rate);
}

int64_t TDmfPlayback::LengthOutputBytes() const
{
    return OutputBytesAt(End);
}

int64_t TDmfPlayback::NextStepEnd() const
{
    return Position + std::clamp<int64_t>(End - Position, 0, Song.BlockBytes);
}

int32_t TDmfPlayback::StepBytes() const
{
    const int64_t stepEnd = StepEnd > StepStart ? StepEnd : NextStepEnd();
    return static_cast<int32_t>(std::max<int64_t>(OutputBytesAt(stepEnd) - Handed, 0));
}

void TDmfPlayback::Render(void* Dest, int32_t Count)
{
    if (Count < 0) {
        return;
    }
    auto* out = static_cast<uint8_t*>(Dest);
    int32_t done = 0;
    do {
        if (StepEnd == StepStart) {
            if (Position >= End) {
                Song.RenderBlock(out + done, Count - done);
                Handed += Count - done;
                return;
            }
            // The step's length is taken when it begins, as StepBytes says it.
            StepEnd = NextStepEnd();
        }
        const int64_t startBytes = OutputBytesAt(StepStart);
        const int64_t endBytes = OutputBytesAt(StepEnd);
        const auto n = static_cast<int32_t>(std::clamp<int64_t>(endBytes - Handed, 0, Count - done));
        if (n > 0) {
            Song.RenderBlock(out + done, n);
            done += n;
            Handed += n;
        }
        if (Handed >= endBytes || endBytes <= startBytes) {
            Position = StepStart = StepEnd;
        } else {
            // A step partly handed out: its share of the step's song time.
            Position = StepStart + (StepEnd - StepStart) * (Handed - startBytes) / (endBytes - startBytes);
        }
    } while (done < Count);
}

void TDmfPlayback::Seek(double TargetMs, const std::atomic<bool>* Cancel)
{
    // Compared in bytes of song time, so that a target on a tick's end lands there.
    const double target = MsToBytes(TargetMs);
    if (target < static_cast<double>(Position)) {
        Song.Stop();
        Song.Rewind();
        Song.Start();
    }
    // The song has run on past the position by what it holds mixed: the
    // skipping starts from where the song stands, the end of its last tick.
    Song.DiscardQueued();
    const auto standing = [&] { return std::min(Song.ElapsedFrames * OutputBytesPerFrame, End); };
    Position = standing();
    // The song's end (or its cut at the 32-bit byte total) ends the skipping.
    while (target > static_cast<double>(Position) && Position < End && Song.Playing && !(Cancel && *Cancel)) {
        Song.SkipBlock();
        Position = standing();
    }
    StepStart = StepEnd = Position;
    Handed = OutputBytesAt(Position);
}
