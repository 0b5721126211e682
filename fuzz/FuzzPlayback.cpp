// The full load of arbitrary bytes, then what the player thread does with the
// song: render a few seconds pass by pass, seek forward and back by skipping
// ticks, and render again.
//
// Bounds: the load is bounded by the input's size and its length run by the
// 32-bit byte total; every render and skip loop below by song time (a tick is
// at least 4 bytes and at most 441000, so a loop of T ms runs at most
// T * 176.4 / 4 passes, and far fewer at any tempo a file can ask for).

#include <exception>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "platform/PlatformStream.h"
#include "player/DmfLimits.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"

namespace {

constexpr double FirstRenderMs = 2000;
constexpr double ForwardSeekMs = 10000;  // beyond the first render
constexpr double BackSeekMs = 1000;
constexpr double SecondRenderMs = 1000;

// Player passes for Ms of song time or until the song stops: each renders
// the tick length taken at the start of the pass.
void Render(TDmfPlayback& Playback, std::vector<uint8_t>& Buffer, double Ms)
{
    const double end = Playback.PositionMs() + Ms;
    while (Playback.Playing() && Playback.PositionMs() < end)
        Playback.RenderStep(Buffer.data());
}

}  // namespace

int FuzzPlayback(const uint8_t* Data, size_t Size)
{
    FuzzQuietLog();
    TMemoryStream stream(std::vector<uint8_t>(Data, Data + Size));
    TDmf song;
    try {
        song.LoadFromStream(stream);
    } catch (const std::exception&) {
        return 0;  // the plug-in refuses such a file the same way
    }
    std::vector<uint8_t> buffer(MaxBlockBytes);
    TDmfPlayback playback(song);
    playback.Start();
    Render(playback, buffer, FirstRenderMs);
    playback.Seek(playback.PositionMs() + ForwardSeekMs);
    playback.Seek(BackSeekMs);
    Render(playback, buffer, SecondRenderMs);
    song.Stop();
    return 0;
}
