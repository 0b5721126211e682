// The mixer against a plain frame-by-frame rendering of the same algorithm,
// on random voices of every frame format, on every path the mixer can take
// here: accumulators and PCM bit for bit, and the voices' positions,
// fractions and activity.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "tests/player/MixerFixture.h"
#include "tests/support/ScopedCodePath.h"

namespace {

// A frame's channel value at byte offset At; bytes outside 0..Length-1 read as zero.
float ReferenceValue(const TVoice& Voice, int64_t At, bool Is16Bit)
{
    const auto byteAt = [&](int64_t I) -> uint8_t {
        return Voice.Data && I >= 0 && I < Voice.DataLength ? Voice.Data[I] : 0;
    };
    if (Is16Bit) {
        return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(byteAt(At) | (byteAt(At + 1) << 8))));
    }
    return static_cast<float>(static_cast<int8_t>(byteAt(At)) * 256);
}

// One voice for Frames frames, written out frame by frame.
void ReferenceMix(TVoice& Voice, float* Out, int Frames)
{
    const bool is16Bit = (Voice.Flags & VoiceFlag16Bit) != 0;
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const int valueBytes = is16Bit ? 2 : 1;
    const int z = valueBytes * (stereo ? 2 : 1);
    const uint64_t increment = Voice.Frequency > 0 ? (static_cast<uint64_t>(Voice.Frequency) << 16) / OutputRate : 0;
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
        fraction += static_cast<uint32_t>(increment & 0xFFFF);
        p += static_cast<int64_t>(increment >> 16) * z + (fraction >> 16) * z;
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

// The tick's 16-bit PCM from its accumulators: each rounded to the nearest
// integer (halves to even), shifted right by 2 toward minus infinity,
// saturated, little-endian.
std::vector<uint8_t> ReferencePcm(const std::vector<float>& Mix)
{
    std::vector<uint8_t> pcm;
    for (const float sum : Mix) {
        const auto value = static_cast<int64_t>(std::nearbyint(static_cast<double>(sum)));
        const auto sample = static_cast<int16_t>(std::clamp<int64_t>(value >> 2, -32768, 32767));
        pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
        pcm.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
    return pcm;
}

// A song of one random tick and 32 random voices of every frame format, end
// and loop, with the frame-by-frame reference's accumulators and voices.
struct TRandomTick {
    std::unique_ptr<TDmf> Song;
    std::vector<float> Expected;
    std::vector<TVoice> ExpectedVoices;
};

// How long the random voices' loops are.
enum class TRandomLoops {
    AnyLength,
    // A few frames at most, passed in a few output frames or less and
    // wrapped on nearly every frame.
    Short,
};

class TRandomTicks {
public:
    explicit TRandomTicks(TRandomLoops Loops = TRandomLoops::AnyLength) : Loops(Loops), Random(20240611u)
    {
        for (int i = 0; i < 32; ++i) {
            std::vector<int16_t> values(static_cast<size_t>(50 + Below(3000)));
            for (int16_t& value : values) {
                value = static_cast<int16_t>(Random());
            }
            Pcms.push_back(Pcm16(values));
        }
    }

    TRandomTick Next()
    {
        TRandomTick tick{SongWithTick(1 + Below(3000)), {}, {}};
        TDmf& song = *tick.Song;
        tick.Expected.assign(static_cast<size_t>(2 * (song.BlockBytes / 4)), 0.0f);
        for (int v = 0; v < 32; ++v) {
            TVoice& voice = song.Voices[static_cast<size_t>(v)];
            const TTestPcm& pcm = Pcms[static_cast<size_t>(v)];
            PlayPcm(voice, pcm, static_cast<uint8_t>(2 * Below(4)));
            voice.Active = Below(8) != 0;
            // Now and then an end offset past the allocation, where reads must count as zero.
            voice.EndOffset = Below(6) == 0 ? pcm.Length + Below(200) : 1 + Below(static_cast<uint32_t>(pcm.Length));
            voice.Looping = Below(3) != 0;
            if (Loops == TRandomLoops::Short) {
                // Half of them whole frames long, so that increments of
                // whole loops come up; a quarter of the voices at the loop's start.
                const int32_t frameBytes =
                    ((voice.Flags & VoiceFlag16Bit) ? 2 : 1) * ((voice.Flags & VoiceFlagStereo) ? 2 : 1);
                const int32_t length = Below(2) == 0 ? frameBytes * (1 + Below(4)) : 1 + Below(40);
                voice.LoopStart = voice.EndOffset - std::min(voice.EndOffset, length);
                voice.Position = Below(4) == 0 ? voice.LoopStart : Below(static_cast<uint32_t>(voice.EndOffset + 8));
            } else {
                voice.LoopStart = Below(static_cast<uint32_t>(voice.EndOffset + 4)) - 2;
                voice.Position = Below(static_cast<uint32_t>(voice.EndOffset + 8));
            }
            voice.Fraction = static_cast<uint16_t>(Random());
            const int32_t frequencies[] = {OutputRate, 22050, 8363, 1 + Below(200000), Below(3000000), 0};
            voice.Frequency = frequencies[Below(6)];
            SetRandomGains(voice, Random);
            TVoice reference = voice;
            if (reference.Active) {
                ReferenceMix(reference, tick.Expected.data(), song.BlockBytes / 4);
            }
            tick.ExpectedVoices.push_back(reference);
        }
        return tick;
    }

private:
    int32_t Below(uint32_t N) { return static_cast<int32_t>(Random() % N); }

    TRandomLoops Loops;
    std::mt19937 Random;
    std::vector<TTestPcm> Pcms;
};

void ExpectVoicesAsExpected(const TRandomTick& Tick, int Round)
{
    for (int v = 0; v < 32; ++v) {
        const TVoice& voice = Tick.Song->Voices[static_cast<size_t>(v)];
        const TVoice& expected = Tick.ExpectedVoices[static_cast<size_t>(v)];
        EXPECT_EQ(voice.Active, expected.Active) << Round << " " << v;
        EXPECT_EQ(voice.Position, expected.Position) << Round << " " << v;
        EXPECT_EQ(voice.Fraction, expected.Fraction) << Round << " " << v;
    }
}

class MixerReferenceOnPath : public testing::TestWithParam<TCodePath> { };

// Mixes random ticks on the test's path and checks the accumulators, PCM and
// voices against the reference's.
void ExpectTicksAsReference(TCodePath Path, TRandomLoops Loops, int Rounds)
{
    const TScopedCodePath path(Path);
    TRandomTicks ticks(Loops);
    for (int round = 0; round < Rounds; ++round) {
        TRandomTick tick = ticks.Next();
        tick.Song->MixTick();
        ASSERT_EQ(std::memcmp(TDmfMixerProbe::MixBuffer(*tick.Song).data(), tick.Expected.data(),
                              tick.Expected.size() * sizeof(float)),
                  0)
            << round;
        const std::vector<uint8_t> pcm = ReferencePcm(tick.Expected);
        ASSERT_EQ(std::memcmp(TDmfMixerProbe::TickBuffer(*tick.Song).data(), pcm.data(), pcm.size()), 0) << round;
        ExpectVoicesAsExpected(tick, round);
    }
}

TEST_P(MixerReferenceOnPath, RandomVoicesMatchAFrameByFrameRendering)
{
    if (!CodePathAvailable(GetParam())) {
        GTEST_SKIP() << "this build or processor has no " << CodePathName(GetParam()) << " path";
    }
    ExpectTicksAsReference(GetParam(), TRandomLoops::AnyLength, 20);
}

// Loops shorter than a few increments are mixed round and round rather than a
// stretch per pass; their wraps must land where the reference's do.
TEST_P(MixerReferenceOnPath, ShortLoopsMatchAFrameByFrameRendering)
{
    if (!CodePathAvailable(GetParam())) {
        GTEST_SKIP() << "this build or processor has no " << CodePathName(GetParam()) << " path";
    }
    ExpectTicksAsReference(GetParam(), TRandomLoops::Short, 20);
}

INSTANTIATE_TEST_SUITE_P(EveryPath, MixerReferenceOnPath, testing::ValuesIn(CodePaths),
                         [](const testing::TestParamInfo<TCodePath>& Info) { return CodePathName(Info.param); });

// A tick skipped for a seek leaves every voice where mixing it would have:
// the same increments, loop wraps, ends and held voices, with nothing mixed.
TEST(MixerReference, MovingVoicesLeavesThemWhereMixingWould)
{
    for (const TRandomLoops loops : {TRandomLoops::AnyLength, TRandomLoops::Short}) {
        TRandomTicks ticks(loops);
        for (int round = 0; round < 200; ++round) {
            TRandomTick tick = ticks.Next();
            tick.Song->MoveVoices();
            ExpectVoicesAsExpected(tick, round);
        }
    }
}

}  // namespace
