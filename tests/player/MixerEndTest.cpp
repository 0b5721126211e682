// Voices reaching the end of their sample: loops, ends, and reads kept inside
// the sample's allocation.

#include <gtest/gtest.h>

#include "tests/player/MixerFixture.h"

namespace {

std::vector<int16_t> Ramp(int Count)
{
    std::vector<int16_t> values(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        values[static_cast<size_t>(i)] = static_cast<int16_t>(i);
    }
    return values;
}

TEST(MixerEnd, LoopWrapsByTheLoopLength)
{
    auto song = SongWithTick(3);
    const TTestPcm pcm = Pcm16(Ramp(2000));
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Looping = true;
    voice.LoopStart = 1000;
    voice.EndOffset = 3000;
    voice.Position = 2998;
    voice.LeftGain = 255;
    song->MixTick();
    // Frames at 2998 and 3000 (the end frame itself plays), then 3002 wraps to 1002.
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[0], 1499.0f * GainOf(255));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2], 1500.0f * GainOf(255));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[4], 501.0f * GainOf(255));
    EXPECT_EQ(voice.Position, 1004);
    EXPECT_TRUE(voice.Active);

    // An increment spanning many loop lengths lands where repeated wrapping would.
    voice.LoopStart = 2990;
    voice.Position = 2996;
    voice.Frequency = OutputRate * 25;  // 50 bytes per output frame, loop of 10
    song->BlockBytes = 4;
    song->MixTick();
    EXPECT_EQ(voice.Position, 2996);
}

TEST(MixerEnd, NonLoopingVoiceEndingMidTickStopsAfterItsLastFrame)
{
    auto song = SongWithTick(6);
    const TTestPcm pcm = Pcm16({100, 200, 300});
    TVoice& voice = song->Voices[7];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.EndOffset = 4;  // frames 0, 1 and 2 (at the end offset) play
    voice.LeftGain = 255;
    song->MixTick();
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[4], 300.0f * GainOf(255));
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[6], 0.0f);
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[10], 0.0f);
    EXPECT_FALSE(voice.Active);
    EXPECT_EQ(voice.Position, 6);
}

TEST(MixerEnd, VoicePastItsEndAtTickStartIsSilencedEvenWhenLooping)
{
    auto song = SongWithTick(4);
    const TTestPcm pcm = Pcm16(Ramp(1600));
    TVoice& voice = song->Voices[0];
    PlayPcm(voice, pcm, VoiceFlag16Bit);
    voice.Looping = true;
    voice.LoopStart = 1000;
    voice.EndOffset = 3000;
    voice.Position = 3001;
    voice.LeftGain = 255;
    song->MixTick();
    EXPECT_FALSE(voice.Active);
    EXPECT_EQ(voice.Position, 3001);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[i], 0.0f);
    }
}

TEST(MixerEnd, EmptyReversedOrNegativeLoopsPlayAsNotLooped)
{
    const TTestPcm pcm = Pcm16(Ramp(100));
    const int32_t loopStarts[] = {40, 60, -2};  // empty, reversed, before the data
    for (int32_t loopStart : loopStarts) {
        auto song = SongWithTick(50);
        TVoice& voice = song->Voices[0];
        PlayPcm(voice, pcm, VoiceFlag16Bit);
        voice.Looping = true;
        voice.LoopStart = loopStart;
        voice.EndOffset = 40;
        song->MixTick();
        EXPECT_FALSE(voice.Active) << loopStart;
        EXPECT_EQ(voice.Position, 42) << loopStart;
    }
}

TEST(MixerEnd, ReadsOutsideTheSampleAllocationCountAsZero)
{
    // PCM without guard bytes and an end offset far beyond it: frames past the
    // allocation read as zero instead of foreign memory.
    auto song = SongWithTick(6);
    std::vector<uint8_t> exact{0x10, 0x00, 0x20, 0x00};
    TVoice& voice = song->Voices[0];
    voice.Data = exact.data();
    voice.DataLength = 4;
    voice.EndOffset = 1000;
    voice.Frequency = 22050;
    voice.Flags = VoiceFlag16Bit;
    voice.LeftGain = 255;
    voice.Active = true;
    song->MixTick();
    const float expected[6] = {16.0f, 24.0f, 32.0f, 16.0f, 0.0f, 0.0f};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[2 * k], expected[k] * GainOf(255)) << k;
    }
    EXPECT_EQ(voice.Position, 6);

    // Positions before the data and a voice without data are silent too.
    voice.Position = -8;
    voice.Frequency = OutputRate;
    song->MixTick();
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[0], 0.0f);
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[8], 16.0f * GainOf(255));
    voice.Data = nullptr;
    voice.Position = 0;
    song->MixTick();
    EXPECT_EQ(TDmfMixerProbe::MixBuffer(*song)[0], 0.0f);
    EXPECT_EQ(voice.Position, 12);
}

}  // namespace
