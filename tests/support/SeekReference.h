#pragma once
// What the playback pass hands out of a song around a seek, for the tests of
// a driver that seeks with it (the extended read's setTime): Before bytes
// from the song's start, a seek, then the rest of the song up to the total a
// whole render writes.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "player/DmfLimits.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"

struct TPassAfterSeek {
    double LandingMs = 0;      // where the seek ended, in song time
    std::vector<uint8_t> Pcm;  // what the pass hands out from there
};

// The bytes a landing point in song time stands for.
inline size_t BytesOfMs(double Ms)
{
    return static_cast<size_t>(std::llround(Ms * OutputBytesPerMs));
}

// Total: the bytes of the whole render; the landing point stands for the
// bytes of its song time.
inline TPassAfterSeek PassAfterSeek(const std::string& Path, size_t Before, int TargetMs, size_t Total)
{
    TDmf song;
    song.LoadFromFile(Path);
    TDmfPlayback playback(song);
    playback.Start();
    std::vector<uint8_t> block(static_cast<size_t>(MaxBlockBytes));
    const auto render = [&](size_t Count, std::vector<uint8_t>* Into) {
        while (Count > 0) {
            const size_t piece = std::min(Count, block.size());
            playback.Render(block.data(), static_cast<int32_t>(piece));
            if (Into)
                Into->insert(Into->end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(piece));
            Count -= piece;
        }
    };
    render(Before, nullptr);
    playback.Seek(TargetMs);
    TPassAfterSeek after;
    after.LandingMs = playback.PositionMs();
    const size_t landing = BytesOfMs(after.LandingMs);
    render(landing < Total ? Total - landing : 0, &after.Pcm);
    return after;
}
