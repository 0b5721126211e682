// Exact accumulator values of hand-built voices: increments, interpolation, gains.

#include <gtest/gtest.h>

#include "tests/player/MixerFixture.h"

namespace {

TEST(MixerVoice, OneFramePerOutputFrameAtWeightZeroIsInputTimesGains)
{
    auto song = SongWithTick(8);
    const std::vector<int16_t> values{-32768, -1000, 0, 1, 777, 32767, -5, 12345, 4};
    const TTestPcm pcm = Pcm16(values);
    TVoice& voice = song->Voices[3];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.LeftGain = 254;
    voice.RightGain = 100;
    song->MixTick();
    for (int k = 0; k < 8; ++k) {
        const float left = static_cast<float>(values[k]) * GainOf(254);
        const float right = static_cast<float>(values[k]) * GainOf(100);
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2 * k], left) << k;
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2 * k + 1], right) << k;
        EXPECT_EQ(TDmfMixerProbe::MixInt(*song, 2 * k), static_cast<int32_t>(std::nearbyint(left)));
        EXPECT_EQ(TickValue(*song, 2 * k), static_cast<int32_t>(std::nearbyint(left)) >> 2);
    }
    EXPECT_EQ(voice.Position, 16);
    EXPECT_EQ(voice.Fraction, 0);
    EXPECT_TRUE(voice.Active);
}

TEST(MixerVoice, EightBitStereoReadsValuesTimes256AndRoutesBothChannels)
{
    auto song = SongWithTick(2);
    const TTestPcm pcm = Pcm8({10, -20, -128, 127, 0, 0});
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlagStereo);
    voice.LeftToLeft = 200;
    voice.LeftToRight = 30;
    voice.RightToLeft = 40;
    voice.RightToRight = 250;
    song->MixTick();
    const float l0 = 10 * 256.0f, r0 = -20 * 256.0f, l1 = -128 * 256.0f, r1 = 127 * 256.0f;
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[0], l0 * GainOf(200) + r0 * GainOf(40));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[1], l0 * GainOf(30) + r0 * GainOf(250));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2], l1 * GainOf(200) + r1 * GainOf(40));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[3], l1 * GainOf(30) + r1 * GainOf(250));
    EXPECT_EQ(voice.Position, 4);
}

TEST(MixerVoice, QuarterFrameIncrementsInterpolateLinearlyBetweenFrames)
{
    auto song = SongWithTick(6);
    // 11025 Hz: a quarter frame per output frame, weights 0, 1/4, 1/2, 3/4.
    const TTestPcm pcm = Pcm16({0, 4000, -4000});
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Frequency = 11025;
    voice.LeftGain = 255;  // a gain of (almost) one keeps the values readable
    song->MixTick();
    const float expected[6] = {0.0f, 1000.0f, 2000.0f, 3000.0f, 4000.0f, 2000.0f};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2 * k], expected[k] * GainOf(255)) << k;
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2 * k + 1], 0.0f);
    }
    EXPECT_EQ(voice.Position, 2);
    EXPECT_EQ(voice.Fraction, 0x8000);
}

TEST(MixerVoice, FractionCarriesIntoThePositionAndStartsTheWeight)
{
    auto song = SongWithTick(1);
    const TTestPcm pcm = Pcm8({0, 64, 0, 0});
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, 0);
    voice.Frequency = 33075;  // three quarters of a frame per output frame
    voice.Fraction = 0x4000;
    voice.LeftGain = 255;
    song->MixTick();
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[0], 64 * 256.0f * 0.25f * GainOf(255));
    EXPECT_EQ(voice.Position, 1);
    EXPECT_EQ(voice.Fraction, 0);
}

TEST(MixerVoice, FrequenciesAbove65535HzAdvanceWithoutWrapping)
{
    auto song = SongWithTick(4);
    std::vector<int16_t> values(64, 100);
    const TTestPcm pcm = Pcm16(values);
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Frequency = 100000;
    song->MixTick();
    const uint64_t increment = uint64_t{100000} * 65536 / OutputRate;
    EXPECT_EQ(voice.Position, static_cast<int32_t>((4 * increment) >> 16) * 2);
    EXPECT_EQ(voice.Fraction, (4 * increment) & 0xFFFF);
}

TEST(MixerVoice, OnlyActiveVoicesBelow32AreMixed)
{
    auto song = SongWithTick(4);
    const TTestPcm pcm = Pcm16({1000, 1000, 1000, 1000, 1000});
    PlayPcm(song->Voices[32], pcm, VoiceFlag16Bit);
    song->Voices[32].LeftGain = 254;
    PlayPcm(song->Voices[5], pcm, VoiceFlag16Bit);
    song->Voices[5].LeftGain = 254;
    song->Voices[5].Active = false;
    song->MixTick();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[i], 0.0f);
    }
    EXPECT_EQ(song->Voices[32].Position, 0);
    EXPECT_EQ(song->Voices[5].Position, 0);
}

}  // namespace
