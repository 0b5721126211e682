// Whole songs on every path of the mixer: each step of the output the same
// bytes as the plain path's, with every sound setting as it comes and with
// the others (rates, separation, click removal).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "player/DmfPlayback.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/ScopedCodePath.h"
#include "tests/support/SongBuilder.h"

namespace {

// Eight tracks over samples of every frame format, looped (one of them over a
// single frame) and not, at low and high pitches, with volume, panning and
// pitch slides, under two tick rates.
std::unique_ptr<TDmf> BusySong()
{
    auto song = MakeSong(2, 8, 64);
    for (int n = 1; n <= 8; ++n) {
        const bool is16Bit = n % 4 >= 2;
        const bool stereo = n % 2 == 1;
        const int32_t frameBytes = (is16Bit ? 2 : 1) * (stereo ? 2 : 1);
        TSample& sample = AddSample(*song, n, 8000 + 5000 * n, 3000 * frameBytes + 2 * n, is16Bit, stereo);
        sample.Looped = n != 4;
        sample.LoopStart = n == 8 ? 1200 * frameBytes : 500 * frameBytes;
        sample.LoopEnd = n == 8 ? sample.LoopStart + frameBytes : 2900 * frameBytes;
    }
    for (int p = 0; p < 2; ++p) {
        SetGlobal(*song, p, 0, 1, static_cast<uint8_t>(p == 0 ? 59 : 23));  // ticks a second, less one
        for (int t = 0; t < 8; ++t) {
            for (int row = t % 3; row < 64; row += 5 + t) {
                TSector& cell = Cell(*song, p, t, row);
                cell.Instrument = static_cast<uint8_t>(1 + (t + row) % 8);
                cell.Note = static_cast<uint8_t>(10 + (t * 13 + row * 7) % 90);
                cell.Volume = static_cast<uint8_t>(60 + (row * 11) % 190);
                cell.VolumeEffect = 7;  // panning
                cell.VolumeParam = static_cast<uint8_t>(t * 36);
                if (row % 4 == 1) {
                    cell.NoteEffect = static_cast<uint8_t>(4 + t % 2);  // pitch slide up or down
                    cell.NoteParam = 12;
                }
            }
        }
    }
    return song;
}

// Plays Make's song with Sound once on every available path, step by step in
// lockstep, each step compared with the plain path's.
template <class TMake> void ExpectEveryPathRendersAsThePlainPath(TMake Make, const TSoundSettings& Sound = {})
{
    std::vector<TCodePath> paths;
    std::vector<std::unique_ptr<TDmf>> songs;
    std::vector<std::unique_ptr<TDmfPlayback>> playbacks;
    for (const TCodePath path : CodePaths) {
        if (!CodePathAvailable(path)) {
            continue;
        }
        paths.push_back(path);
        songs.push_back(Make());
        songs.back()->Sound = Sound;
        playbacks.push_back(std::make_unique<TDmfPlayback>(*songs.back()));
        playbacks.back()->Start();
    }
    ASSERT_GE(paths.size(), 1u);
    std::vector<uint8_t> plain(StepRoomBytes), buffer(StepRoomBytes);
    int64_t steps = 0;
    bool heard = false;
    while (playbacks[0]->Playing()) {
        const TScopedCodePath onPlain(TCodePath::Plain);
        const int32_t bytes = RenderStep(*playbacks[0], plain.data());
        heard = heard || std::any_of(plain.begin(), plain.begin() + bytes, [](uint8_t Byte) { return Byte != 0; });
        for (size_t i = 1; i < paths.size(); ++i) {
            const TScopedCodePath onPath(paths[i]);
            ASSERT_EQ(RenderStep(*playbacks[i], buffer.data()), bytes) << CodePathName(paths[i]) << " step " << steps;
            ASSERT_EQ(std::memcmp(buffer.data(), plain.data(), static_cast<size_t>(bytes)), 0)
                << CodePathName(paths[i]) << " step " << steps;
        }
        ++steps;
    }
    EXPECT_GT(steps, 100);
    EXPECT_TRUE(heard);
}

TEST(MixerPaths, EveryPathRendersWholeSongsAsThePlainPath)
{
    ExpectEveryPathRendersAsThePlainPath([] {
        auto song = std::make_unique<TDmf>();
        song->LoadFromFile(MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf");
        return song;
    });
    ExpectEveryPathRendersAsThePlainPath(BusySong);
}

TEST(MixerPaths, EveryPathRendersAsThePlainPathWithEverySetting)
{
    for (const TSoundSettings sound : {TSoundSettings{.Rate = 48000, .Separation = 150, .ClickRemoval = true},
                                       TSoundSettings{.Rate = 22050, .Separation = 0, .ClickRemoval = true},
                                       TSoundSettings{.Rate = 96000, .Separation = 200}}) {
        SCOPED_TRACE(std::to_string(sound.Rate) + " Hz, separation " + std::to_string(sound.Separation));
        ExpectEveryPathRendersAsThePlainPath(BusySong, sound);
    }
}

}  // namespace
