// Whole songs on every path of the mixer: each step of the output the same
// bytes as the plain path's, under every interpolation and with the other
// settings (rates, separation, click removal).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "player/DmfPlayback.h"
#include "tests/player/BusySong.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/ScopedCodePath.h"

namespace {

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
            ASSERT_EQ(RenderStep(*playbacks[i], buffer.data()), bytes)
                << CodePathName(paths[i]) << " " << InterpolationName(Sound.Interpolation) << " step " << steps;
            ASSERT_EQ(std::memcmp(buffer.data(), plain.data(), static_cast<size_t>(bytes)), 0)
                << CodePathName(paths[i]) << " " << InterpolationName(Sound.Interpolation) << " step " << steps;
        }
        ++steps;
    }
    EXPECT_GT(steps, 100);
    EXPECT_TRUE(heard);
}

TEST(MixerPaths, EveryPathRendersWholeSongsAsThePlainPath)
{
    for (const TInterpolation interpolation : Interpolations) {
        ExpectEveryPathRendersAsThePlainPath(
            [] {
                auto song = std::make_unique<TDmf>();
                song->LoadFromFile(MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf");
                return song;
            },
            TSoundSettings{.Interpolation = interpolation});
        ExpectEveryPathRendersAsThePlainPath(BusySong, TSoundSettings{.Interpolation = interpolation});
    }
}

TEST(MixerPaths, EveryPathRendersAsThePlainPathWithEverySetting)
{
    for (const TSoundSettings sound :
         {TSoundSettings{
              .Interpolation = TInterpolation::Cubic, .Rate = 48000, .Separation = 150, .ClickRemoval = true},
          TSoundSettings{.Interpolation = TInterpolation::Sinc, .Rate = 22050, .Separation = 0, .ClickRemoval = true},
          TSoundSettings{.Rate = 44100, .ClickRemoval = true},
          TSoundSettings{.Interpolation = TInterpolation::None, .Rate = 96000, .Separation = 200}}) {
        SCOPED_TRACE(std::string(InterpolationName(sound.Interpolation)) + ", " + std::to_string(sound.Rate) +
                     " Hz, separation " + std::to_string(sound.Separation));
        ExpectEveryPathRendersAsThePlainPath(BusySong, sound);
    }
}

}  // namespace
