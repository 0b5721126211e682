// The full load of arbitrary bytes, then what the player thread does with the
// song: render a few seconds pass by pass, seek forward and back by skipping
// ticks, render again; and after every seek the bytes must be the song played
// through from the landing point (a render without the seek), or the harness
// fails. The sound settings (output rate, separation, click removal) come
// from one of the input's last bytes: the defaults for most inputs.
//
// Bounds: the load is bounded by the input's size and its length run by the
// 32-bit byte total; every render and skip loop below by song time (a tick is
// at least 4 bytes and at most 441000, so a loop of T ms runs at most
// T * 176.4 / 4 passes, and far fewer at any tempo a file can ask for).

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "platform/PlatformStream.h"
#include "player/DmfLimits.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"
#include "tests/support/PlaybackSteps.h"

namespace {

// The song played through for this long is what the seeks are checked against.
constexpr double ThroughMs = 6000;
constexpr double FirstRenderMs = 1500;
constexpr double AfterSeekMs = 1000;

// Render steps for Ms of song time or until the song's end, appended to Pcm.
void Render(TDmfPlayback& Playback, std::vector<uint8_t>& Buffer, double Ms, std::vector<uint8_t>& Pcm)
{
    const double end = Playback.PositionMs() + Ms;
    while (Playback.Playing() && Playback.PositionMs() < end) {
        const int32_t n = RenderStep(Playback, Buffer.data());
        Pcm.insert(Pcm.end(), Buffer.begin(), Buffer.begin() + n);
    }
}

// Seeks to TargetMs and renders on: the bytes must be the song played through
// from the landing point, as far as Through reaches.
void SeekAndCompare(TDmfPlayback& Playback, std::vector<uint8_t>& Buffer, double TargetMs,
                    const std::vector<uint8_t>& Through, int32_t Rate)
{
    Playback.Seek(TargetMs);
    const int64_t landing = OutputBytesOf(Playback.PositionBytes(), Rate);
    std::vector<uint8_t> after;
    Render(Playback, Buffer, AfterSeekMs, after);
    const int64_t known =
        std::clamp<int64_t>(static_cast<int64_t>(Through.size()) - landing, 0, static_cast<int64_t>(after.size()));
    if (!std::equal(after.begin(), after.begin() + known, Through.begin() + landing)) {
        std::abort();  // a seek that does not sound as playing through
    }
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
    // One byte in eight picks other settings than the defaults.
    const uint8_t choice = Size >= 5 ? Data[Size - 5] : 0;
    if (choice < 32) {
        constexpr int32_t rates[] = {8000, 22050, 44101, 192000};
        song.Sound = {
            .Rate = rates[choice % 4], .Separation = choice / 4 % 2 == 0 ? 0 : 200, .ClickRemoval = choice < 16};
    }
    const int32_t rate = song.SoundInForce().Rate;
    std::vector<uint8_t> buffer(MaxTickBytesAt(rate));
    TDmfPlayback playback(song);
    playback.Start();
    std::vector<uint8_t> through;
    Render(playback, buffer, ThroughMs, through);

    // The seek targets come from the input's last bytes: one forward from
    // where the first render ends, one anywhere (mostly backward).
    const auto chosen = [&](size_t FromEnd) {
        const size_t at = Size > FromEnd + 1 ? Size - FromEnd - 2 : 0;
        return Size >= 2 ? static_cast<double>(Data[at] | (Data[at + 1] << 8)) : 0.0;
    };
    playback.Start();
    std::vector<uint8_t> first;
    Render(playback, buffer, FirstRenderMs, first);
    if (first.size() > through.size() || !std::equal(first.begin(), first.end(), through.begin())) {
        std::abort();  // a second start that does not play as the first
    }
    SeekAndCompare(playback, buffer, playback.PositionMs() + static_cast<int>(chosen(0)) % 4000, through, rate);
    SeekAndCompare(playback, buffer, static_cast<int>(chosen(2)) % static_cast<int>(ThroughMs), through, rate);
    song.Stop();
    return 0;
}
