// The mixer against a plain frame-by-frame rendering of the same algorithm,
// on random voices of every frame format: accumulators bit for bit, and the
// voices' positions, fractions and activity.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/player/MixerFixture.h"

namespace {

// A frame's channel value at byte offset At; bytes outside 0..Length-1 read as zero.
float ReferenceValue(const TVoice& Voice, int64_t At, bool Is16Bit)
{
    const auto byteAt = [&](int64_t I) -> uint8_t {
        return Voice.Data && I >= 0 && I < Voice.DataLength ? Voice.Data[I] : 0;
    };
    if (Is16Bit)
        return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(byteAt(At) | (byteAt(At + 1) << 8))));
    return static_cast<float>(static_cast<int8_t>(byteAt(At)) * 256);
}

// One voice for Frames frames, written out step by step.
void ReferenceMix(TVoice& Voice, float* Out, int Frames)
{
    const bool is16Bit = (Voice.Flags & VoiceFlag16Bit) != 0;
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const int valueBytes = is16Bit ? 2 : 1;
    const int z = valueBytes * (stereo ? 2 : 1);
    const uint64_t step = Voice.Frequency > 0 ? (static_cast<uint64_t>(Voice.Frequency) << 16) / OutputRate : 0;
    const bool loops = Voice.Looping && Voice.LoopStart >= 0 && Voice.EndOffset > Voice.LoopStart;
    int64_t p = Voice.Position;
    uint32_t fraction = Voice.Fraction;
    if (p > Voice.EndOffset) {
        Voice.Active = false;
        return;
    }
    const float g = MixerGainScale;
    for (int k = 0; k < Frames; ++k) {
        const float w = static_cast<float>(fraction) / 65536.0f;
        for (int channel = 0; channel < (stereo ? 2 : 1); ++channel) {
            const float a = ReferenceValue(Voice, p + channel * valueBytes, is16Bit);
            const float b = ReferenceValue(Voice, p + z + channel * valueBytes, is16Bit);
            const float v = a * (1.0f - w) + b * w;
            const int16_t toLeft = stereo ? (channel == 0 ? Voice.LeftToLeft : Voice.RightToLeft) : Voice.LeftGain;
            const int16_t toRight = stereo ? (channel == 0 ? Voice.LeftToRight : Voice.RightToRight) : Voice.RightGain;
            Out[2 * k] += v * (static_cast<float>(toLeft) * g);
            Out[2 * k + 1] += v * (static_cast<float>(toRight) * g);
        }
        fraction += static_cast<uint32_t>(step & 0xFFFF);
        p += static_cast<int64_t>(step >> 16) * z + (fraction >> 16) * z;
        fraction &= 0xFFFF;
        bool ended = false;
        while (p > Voice.EndOffset) {
            if (!loops) {
                ended = true;
                break;
            }
            p -= Voice.EndOffset - Voice.LoopStart;
        }
        if (ended) {
            Voice.Active = false;
            break;
        }
    }
    Voice.Position = static_cast<int32_t>(p);
    Voice.Fraction = static_cast<uint16_t>(fraction);
}

TEST(MixerReference, RandomVoicesMatchAFrameByFrameRendering)
{
    std::mt19937 random(20240611u);
    const auto below = [&](uint32_t N) { return static_cast<int32_t>(random() % N); };
    std::vector<TTestPcm> pcms;
    for (int i = 0; i < 32; ++i) {
        std::vector<int16_t> values(static_cast<size_t>(50 + below(3000)));
        for (int16_t& value : values)
            value = static_cast<int16_t>(random());
        pcms.push_back(Pcm16(values));
    }
    for (int round = 0; round < 20; ++round) {
        auto song = SongWithTick(1 + below(3000));
        std::vector<float> expected(static_cast<size_t>(2 * (song->BlockBytes / 4)), 0.0f);
        std::vector<TVoice> expectedVoices;
        for (int v = 0; v < 32; ++v) {
            TVoice& voice = song->Voices[static_cast<size_t>(v)];
            const TTestPcm& pcm = pcms[static_cast<size_t>(v)];
            PlayPcm(voice, pcm, static_cast<uint8_t>(2 * below(4)));
            voice.Active = below(8) != 0;
            // Now and then an end offset past the allocation, where reads must count as zero.
            voice.EndOffset = below(6) == 0 ? pcm.Length + below(200) : 1 + below(static_cast<uint32_t>(pcm.Length));
            voice.Looping = below(3) != 0;
            voice.LoopStart = below(static_cast<uint32_t>(voice.EndOffset + 4)) - 2;
            voice.Position = below(static_cast<uint32_t>(voice.EndOffset + 8));
            voice.Fraction = static_cast<uint16_t>(random());
            const int32_t frequencies[] = {OutputRate, 22050, 8363, 1 + below(200000), below(3000000), 0};
            voice.Frequency = frequencies[below(6)];
            voice.LeftGain = static_cast<int16_t>(below(255));
            voice.RightGain = static_cast<int16_t>(below(255));
            voice.LeftToLeft = static_cast<int16_t>(below(255));
            voice.LeftToRight = static_cast<int16_t>(below(255));
            voice.RightToLeft = static_cast<int16_t>(below(255));
            voice.RightToRight = static_cast<int16_t>(below(255));
            TVoice reference = voice;
            if (reference.Active)
                ReferenceMix(reference, expected.data(), song->BlockBytes / 4);
            expectedVoices.push_back(reference);
        }
        song->MixTick();
        ASSERT_EQ(
            std::memcmp(TDmfMixerProbe::MixBuffer(*song).data(), expected.data(), expected.size() * sizeof(float)), 0)
            << round;
        for (int v = 0; v < 32; ++v) {
            const TVoice& voice = song->Voices[static_cast<size_t>(v)];
            EXPECT_EQ(voice.Active, expectedVoices[static_cast<size_t>(v)].Active) << round << " " << v;
            EXPECT_EQ(voice.Position, expectedVoices[static_cast<size_t>(v)].Position) << round << " " << v;
            EXPECT_EQ(voice.Fraction, expectedVoices[static_cast<size_t>(v)].Fraction) << round << " " << v;
        }
    }
}

}  // namespace
