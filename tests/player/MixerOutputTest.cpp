// Conversion of the accumulated tick to 16-bit output: saturation, panning
// through the gains the sequencer computes, byte order.

#include <gtest/gtest.h>

#include "tests/player/MixerFixture.h"

namespace {

// Voices 0..Count-1 all play Pcm at full gain on both outputs.
void PlayFullScale(TDmf& Song, const TTestPcm& Pcm, int Count)
{
    for (int v = 0; v < Count; ++v) {
        PlayPcm(Song.Voices[static_cast<size_t>(v)], Pcm, VoiceFlag16Bit);
        Song.Voices[static_cast<size_t>(v)].LeftGain = 254;
        Song.Voices[static_cast<size_t>(v)].RightGain = 254;
    }
}

TEST(MixerOutput, FourFullScaleVoicesStayBelowClippingAndMoreSaturate)
{
    const TTestPcm pcm = Pcm16({32767, -32768, 32767});
    auto song = SongWithTick(2);
    PlayFullScale(*song, pcm, 4);
    song->MixTick();
    EXPECT_GT(TickValue(*song, 0), 32000);
    EXPECT_LT(TickValue(*song, 0), 32767);
    EXPECT_LT(TickValue(*song, 2), -32000);
    EXPECT_GT(TickValue(*song, 2), -32768);

    song = SongWithTick(2);
    PlayFullScale(*song, pcm, 6);
    song->MixTick();
    EXPECT_EQ(TickValue(*song, 0), 32767);
    EXPECT_EQ(TickValue(*song, 1), 32767);
    EXPECT_EQ(TickValue(*song, 2), -32768);
    EXPECT_EQ(TickValue(*song, 3), -32768);
}

TEST(MixerOutput, RoundsHalvesToEvenThenShiftsTowardMinusInfinity)
{
    // Half steps at a gain of exactly one: 1, 1.5, 2, 2.5, 3, -1.5, -6, -5.5.
    auto song = SongWithTick(8);
    const TTestPcm pcm = Pcm16({1, 2, 3, -6, -5, 0});
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Frequency = 22050;
    voice.LeftGain = 255;
    song->MixTick();
    ASSERT_EQ(GainOf(255), 1.0f);
    EXPECT_EQ(TDmfMixerProbe::MixInt(*song, 2), 2);
    EXPECT_EQ(TDmfMixerProbe::MixInt(*song, 6), 2);
    EXPECT_EQ(TDmfMixerProbe::MixInt(*song, 10), -2);
    EXPECT_EQ(TDmfMixerProbe::MixInt(*song, 14), -6);
    EXPECT_EQ(TickValue(*song, 10), -1);
    EXPECT_EQ(TickValue(*song, 14), -2);
}

TEST(MixerOutput, PanningHardLeftOnAStereoVoiceLeavesTheRightEmpty)
{
    auto song = SongWithTick(4);
    const TTestPcm pcm = Pcm16({1000, -2000, 3000, 4000, -5000, 6000, 7000, 8000, 0, 0});
    TVoice& voice = song->Voices[2];
    PlayPcm(voice, pcm, VoiceFlag16Bit | VoiceFlagStereo);
    voice.Volume = 254;
    voice.Panning = 0;
    song->UpdateVoiceGains();
    song->MixTick();
    for (int k = 0; k < 4; ++k) {
        EXPECT_NE(TickValue(*song, 2 * k), 0) << k;
        EXPECT_EQ(TickValue(*song, 2 * k + 1), 0) << k;
    }
}

TEST(MixerOutput, SamplesAreLittleEndianLeftThenRight)
{
    auto song = SongWithTick(1);
    const TTestPcm pcm = Pcm16({-4000, 0});
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.LeftGain = 255;  // -4000 / 4 = -1000 = 0xFC18
    song->MixTick();
    EXPECT_EQ(TDmfMixerProbe::TickBuffer(*song)[0], 0x18);
    EXPECT_EQ(TDmfMixerProbe::TickBuffer(*song)[1], 0xFC);
    EXPECT_EQ(TDmfMixerProbe::TickBuffer(*song)[2], 0x00);
    EXPECT_EQ(TDmfMixerProbe::TickBuffer(*song)[3], 0x00);
}

}  // namespace
