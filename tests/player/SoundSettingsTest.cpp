#include <gtest/gtest.h>

#include "player/DmfSong.h"
#include "player/DmfSoundSettings.h"

namespace {

TEST(SoundSettings, EveryInterpolationIsNamedOnceAndFoundByItsNameInAnyCase)
{
    for (const TInterpolation interpolation : Interpolations) {
        std::string name = InterpolationName(interpolation);
        ASSERT_FALSE(name.empty());
        TInterpolation found = TInterpolation::Sinc;
        EXPECT_TRUE(InterpolationNamed(name, found));
        EXPECT_EQ(found, interpolation) << name;
        for (char& c : name) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        found = TInterpolation::None;
        EXPECT_TRUE(InterpolationNamed(name, found)) << name;
        EXPECT_EQ(found, interpolation) << name;
    }
    TInterpolation untouched = TInterpolation::Cubic;
    for (const char* word : {"", "lin", "linearx", "spline", "sinc "}) {
        EXPECT_FALSE(InterpolationNamed(word, untouched)) << word;
    }
    EXPECT_EQ(untouched, TInterpolation::Cubic);
}

TEST(SoundSettings, TheDefaultsAreTheSoundOfANewSongAndHeldValuesTakeTheNearestInRange)
{
    const TSoundSettings defaults;
    EXPECT_EQ(TDmf().Sound, defaults);
    EXPECT_EQ(defaults.Interpolation, TInterpolation::Linear);
    EXPECT_EQ(defaults.Rate, OutputRate);
    EXPECT_EQ(SoundSettingsHeld(defaults), defaults);

    TSoundSettings wild;
    wild.Interpolation = static_cast<TInterpolation>(200);
    wild.Rate = 7999;
    wild.Separation = -1;
    const TSoundSettings held = SoundSettingsHeld(wild);
    EXPECT_EQ(held.Interpolation, TInterpolation::Linear);
    EXPECT_EQ(held.Rate, MinOutputRate);
    EXPECT_EQ(held.Separation, MinSeparation);
    wild.Rate = 192001;
    wild.Separation = 201;
    EXPECT_EQ(SoundSettingsHeld(wild).Rate, MaxOutputRate);
    EXPECT_EQ(SoundSettingsHeld(wild).Separation, MaxSeparation);
    wild.Rate = 48000;
    wild.Separation = 0;
    EXPECT_EQ(SoundSettingsHeld(wild).Rate, 48000);
    EXPECT_EQ(SoundSettingsHeld(wild).Separation, 0);
}

}  // namespace
