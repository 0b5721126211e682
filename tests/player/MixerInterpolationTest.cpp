// Every interpolation against a reference written here in double precision
// from its own formula (the nearest frame, the Catmull-Rom cubic, the
// Kaiser-windowed sinc computed tap by tap, linear), reading what the voice
// plays around its head: random voices of every frame format, fractions and
// increments from still to far above 8 frames per output frame, loops of any
// length (down to a byte, and shorter than any kernel), one-shots ending,
// heads at the edges of allocations that end exactly where the sample does
// (so that the sanitizer build catches any read outside them). Then every
// code path's bits against the plain path's, a tick moved against a tick
// mixed, and the values a frame is read as outside a mix.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "player/DmfPlayback.h"
#include "player/DmfVoiceValues.h"
#include "tests/player/BusySong.h"
#include "tests/player/MixerFixture.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/ScopedCodePath.h"

namespace {

constexpr TInterpolation AllInterpolations[] = {TInterpolation::None, TInterpolation::Linear, TInterpolation::Cubic,
                                                TInterpolation::Sinc};

// ---- The reference: each interpolation's formula, in double precision ----

double BesselI0(double X)
{
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 200; ++k) {
        term *= (X / 2) * (X / 2) / (static_cast<double>(k) * k);
        sum += term;
    }
    return sum;
}

// The sinc's kernel for an increment: the first step of 1, 1.25, 1.5, 1.75,
// 2, 2.5, 3, 3.5, 4, 5, 6, 7, 8 at or above it (8 above them all), 8 taps per
// whole step begun, the cut-off at half the source rate over the step, a
// Kaiser window of beta 6 less its edges' value across the taps (from the
// head's frame, half the taps each way); its taps at a head Between past
// its frame, from the frame Before frames before the head's, summing to 1.
std::vector<double> SincTaps(uint64_t Increment, double Between, int& Before)
{
    double step = 8.0;
    for (const double each : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 3.5, 4.0, 5.0, 6.0, 7.0}) {
        if (static_cast<double>(Increment) <= each * 65536.0) {
            step = each;
            break;
        }
    }
    const int taps = 8 * static_cast<int>(std::ceil(step));
    const double cutoff = 0.5 / step;
    const double half = taps / 2.0;
    Before = taps / 2 - 1;
    std::vector<double> weights;
    double sum = 0.0;
    for (int j = 0; j < taps; ++j) {
        const double t = (j - Before) - Between;
        const double x = 2.0 * cutoff * t;
        const double sinc = x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double u = t / half;
        const double window =
            std::abs(u) < 1.0 ? (BesselI0(6.0 * std::sqrt(1.0 - u * u)) - 1.0) / (BesselI0(6.0) - 1.0) : 0.0;
        weights.push_back(2.0 * cutoff * sinc * window);
        sum += weights.back();
    }
    for (double& weight : weights) {
        weight /= sum;
    }
    return weights;
}

// A voice as the reference reads it.
struct TReferenceRead {
    const TVoice& Voice;
    bool ReadsLoop;  // every interpolation but linear
    bool Passed;     // the head has gone round its loop

    bool Loops() const { return Voice.Looping && Voice.LoopStart >= 0 && Voice.EndOffset > Voice.LoopStart; }

    // Channel Channel of the frame the voice plays at byte offset At: past the
    // end the loop's frames from its start, at or before the loop's start once
    // round it the loop's last ones; bytes outside the allocation read 0.
    double Value(int64_t At, int Channel) const
    {
        if (ReadsLoop && Loops()) {
            const int64_t length = Voice.EndOffset - Voice.LoopStart;
            while (At > Voice.EndOffset) {
                At -= length;
            }
            while (Passed && At <= Voice.LoopStart) {
                At += length;
            }
        }
        const bool is16Bit = (Voice.Flags & VoiceFlag16Bit) != 0;
        const int64_t byte = At + Channel * (is16Bit ? 2 : 1);
        const auto byteAt = [&](int64_t I) -> uint8_t {
            return Voice.Data && I >= 0 && I < Voice.DataLength ? Voice.Data[I] : 0;
        };
        if (is16Bit) {
            return static_cast<int16_t>(static_cast<uint16_t>(byteAt(byte) | (byteAt(byte + 1) << 8)));
        }
        return static_cast<int8_t>(byteAt(byte)) * 256.0;
    }
};

// The frame's value of Channel at Offset, Fraction / 65536 past it.
double ReferenceValue(TInterpolation Interpolation, const TReferenceRead& Read, int64_t Offset, uint32_t Fraction,
                      uint64_t Increment, int Channel)
{
    const int z = ((Read.Voice.Flags & VoiceFlag16Bit) ? 2 : 1) * ((Read.Voice.Flags & VoiceFlagStereo) ? 2 : 1);
    const double t = Fraction / 65536.0;
    const auto x = [&](int Frame) { return Read.Value(Offset + int64_t{Frame} * z, Channel); };
    switch (Interpolation) {
    case TInterpolation::None:
        return Fraction < 32768 ? x(0) : x(1);
    case TInterpolation::Linear:
        return x(0) * (1.0 - t) + x(1) * t;
    case TInterpolation::Cubic:
        return 0.5 * (2.0 * x(0) + (x(1) - x(-1)) * t + (2.0 * x(-1) - 5.0 * x(0) + 4.0 * x(1) - x(2)) * t * t +
                      (3.0 * x(0) - x(-1) - 3.0 * x(1) + x(2)) * t * t * t);
    case TInterpolation::Sinc: {
        int before = 0;
        const std::vector<double> weights = SincTaps(Increment, t, before);
        double sum = 0.0;
        for (size_t j = 0; j < weights.size(); ++j) {
            sum += weights[j] * x(static_cast<int>(j) - before);
        }
        return sum;
    }
    }
    return 0.0;
}

uint64_t IncrementOfVoice(const TVoice& Voice)
{
    return Voice.Frequency > 0 ? (static_cast<uint64_t>(Voice.Frequency) << 16) / OutputRate : 0;
}

// One voice over Frames frames, frame by frame: its values times its gains
// added to Out (left, right interleaved); the head moved on, wrapped, ended.
void ReferenceMix(TVoice& Voice, TInterpolation Interpolation, std::vector<double>& Out, int Frames)
{
    const bool is16Bit = (Voice.Flags & VoiceFlag16Bit) != 0;
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const int z = (is16Bit ? 2 : 1) * (stereo ? 2 : 1);
    const uint64_t increment = IncrementOfVoice(Voice);
    TReferenceRead read{Voice, Interpolation != TInterpolation::Linear, Voice.LoopPassed};
    int64_t p = Voice.Position;
    uint32_t fraction = Voice.Fraction;
    if (p > Voice.EndOffset) {
        Voice.Active = false;
        return;
    }
    for (int k = 0; k < Frames; ++k) {
        for (int channel = 0; channel < (stereo ? 2 : 1); ++channel) {
            const double v = ReferenceValue(Interpolation, read, p, fraction, increment, channel);
            const int16_t toLeft = stereo ? (channel == 0 ? Voice.LeftToLeft : Voice.RightToLeft) : Voice.LeftGain;
            const int16_t toRight = stereo ? (channel == 0 ? Voice.LeftToRight : Voice.RightToRight) : Voice.RightGain;
            Out[2 * static_cast<size_t>(k)] += v * toLeft / 255.0;
            Out[2 * static_cast<size_t>(k) + 1] += v * toRight / 255.0;
        }
        fraction += static_cast<uint32_t>(increment & 0xFFFF);
        p += static_cast<int64_t>(increment >> 16) * z + (fraction >> 16) * z;
        fraction &= 0xFFFF;
        bool ended = false;
        while (p > Voice.EndOffset) {
            if (!read.Loops()) {
                ended = true;
                break;
            }
            p -= Voice.EndOffset - Voice.LoopStart;
            read.Passed = true;
        }
        if (ended) {
            Voice.Active = false;
            break;
        }
    }
    Voice.Position = static_cast<int32_t>(p);
    Voice.Fraction = static_cast<uint16_t>(fraction);
    Voice.LoopPassed = read.Passed;
}

// ---- Random voices ------------------------------------------------------

// How long the random voices' loops are.
enum class TLoops {
    AnyLength,
    // A byte to 64 frames: shorter than the sinc's kernels, passed many
    // times a tick.
    Short,
};

// Random PCM in an allocation of its own that ends with the voice's readable
// bytes and starts with its first: nothing around it to read by mistake.
class TRandomVoices {
public:
    explicit TRandomVoices(uint32_t Seed) : Random(Seed) { }

    // A random voice of a random frame format on PCM of its own (kept until
    // the next call with the same Slot).
    TVoice Next(TLoops Loops, size_t Slot)
    {
        const bool is16Bit = Below(2) == 0;
        const bool stereo = Below(2) == 0;
        const int32_t z = (is16Bit ? 2 : 1) * (stereo ? 2 : 1);
        const int32_t length = z * (Below(8) == 0 ? 1 + Below(20) : 20 + Below(3000));
        if (Pcms.size() <= Slot) {
            Pcms.resize(Slot + 1);
        }
        std::vector<uint8_t>& pcm = Pcms[Slot];
        pcm.assign(static_cast<size_t>(length + Below(17)), 0);
        for (uint8_t& byte : pcm) {
            byte = static_cast<uint8_t>(Random());
        }
        TVoice voice{};
        voice.Data = pcm.data();
        voice.DataLength = static_cast<int32_t>(pcm.size());
        voice.Flags = static_cast<uint8_t>((is16Bit ? VoiceFlag16Bit : 0) | (stereo ? VoiceFlagStereo : 0));
        voice.Active = true;
        // Now and then an end offset past the allocation, where reads count as zero.
        voice.EndOffset = Below(6) == 0 ? length + Below(200) : 1 + Below(static_cast<uint32_t>(length));
        voice.Looping = Below(3) != 0;
        if (Loops == TLoops::Short) {
            const int32_t loop = Below(2) == 0 ? z * (1 + Below(64)) : 1 + Below(static_cast<uint32_t>(64 * z));
            voice.LoopStart = voice.EndOffset - std::min(voice.EndOffset, loop);
        } else {
            voice.LoopStart = Below(static_cast<uint32_t>(voice.EndOffset + 4)) - 2;
        }
        // Heads at the loop's start, near the sample's first frames, anywhere.
        const int32_t where = Below(4);
        voice.Position = where == 0   ? std::max(voice.LoopStart, 0)
                         : where == 1 ? Below(static_cast<uint32_t>(8 * z))
                                      : Below(static_cast<uint32_t>(voice.EndOffset + 8));
        voice.LoopPassed = Below(2) == 0;
        voice.Fraction = static_cast<uint16_t>(Random());
        const int32_t frequencies[] = {OutputRate,        22050,          8363, 1 + Below(100000),
                                       1 + Below(400000), Below(3000000), 0};
        voice.Frequency = frequencies[Below(7)];
        SetRandomGains(voice, Random);
        return voice;
    }

    int32_t Below(uint32_t N) { return static_cast<int32_t>(Random() % N); }

private:
    std::mt19937 Random;
    std::vector<std::vector<uint8_t>> Pcms;
};

void ExpectVoiceAsExpected(const TVoice& Voice, const TVoice& Expected, const char* What)
{
    EXPECT_EQ(Voice.Active, Expected.Active) << What;
    EXPECT_EQ(Voice.Position, Expected.Position) << What;
    EXPECT_EQ(Voice.Fraction, Expected.Fraction) << What;
    EXPECT_EQ(Voice.LoopPassed, Expected.LoopPassed) << What;
}

// Two songs of one tick, both with the same 32 random voices, under each
// interpolation: Rounds ticks of random length for each length of loops,
// each pair handed to Check(First, Second, What) unmixed.
template <class TCheck> void ForRandomTwins(uint32_t Seed, int Rounds, TCheck Check)
{
    TRandomVoices voices(Seed);
    for (const TInterpolation interpolation : AllInterpolations) {
        for (const TLoops loops : {TLoops::AnyLength, TLoops::Short}) {
            for (int round = 0; round < Rounds; ++round) {
                const int32_t frames = 1 + voices.Below(3000);
                auto first = SongWithTick(frames);
                auto second = SongWithTick(frames);
                first->Sound.Interpolation = second->Sound.Interpolation = interpolation;
                for (size_t v = 0; v < 32; ++v) {
                    first->Voices[v] = second->Voices[v] = voices.Next(loops, v);
                }
                const std::string what = std::string(InterpolationName(interpolation)) + " round " +
                                         std::to_string(round) + (loops == TLoops::Short ? " short" : "");
                Check(*first, *second, what);
            }
        }
    }
}

// ---- The tests ----------------------------------------------------------

class MixerInterpolationOnPath : public testing::TestWithParam<TCodePath> { };

// One voice a tick, so that the reference's tolerance is one voice's: the
// accumulators within half the output's least significant bit (2 of the 16-bit
// scale's units before the shift by 2), so the output within 1 of it.
TEST_P(MixerInterpolationOnPath, EveryInterpolationMatchesItsFormula)
{
    const TScopedCodePath path(GetParam());
    if (path.Path() != GetParam()) {
        GTEST_SKIP() << "this build or processor has no " << CodePathName(GetParam()) << " path";
    }
    TRandomVoices voices(20250611u);
    for (const TInterpolation interpolation : AllInterpolations) {
        for (const TLoops loops : {TLoops::AnyLength, TLoops::Short}) {
            for (int round = 0; round < 60; ++round) {
                const int32_t frames = 1 + voices.Below(700);
                auto song = SongWithTick(frames);
                song->Sound.Interpolation = interpolation;
                TVoice& voice = song->Voices[static_cast<size_t>(voices.Below(32))];
                voice = voices.Next(loops, 0);
                TVoice expected = voice;
                std::vector<double> sums(2 * static_cast<size_t>(frames), 0.0);
                ReferenceMix(expected, interpolation, sums, frames);
                song->MixTick();
                const std::string what = std::string(InterpolationName(interpolation)) + " round " +
                                         std::to_string(round) + (loops == TLoops::Short ? " short" : "");
                ExpectVoiceAsExpected(voice, expected, what.c_str());
                const std::vector<float> mixed = TDmfMixerProbe::MixBuffer(*song);
                for (size_t i = 0; i < sums.size(); ++i) {
                    ASSERT_NEAR(mixed[i], sums[i], 2.0) << what << " value " << i;
                    const auto reference = static_cast<int64_t>(std::nearbyint(sums[i])) >> 2;
                    ASSERT_NEAR(TickValue(*song, static_cast<int32_t>(i)),
                                std::clamp<int64_t>(reference, -32768, 32767), 1)
                        << what << " value " << i;
                }
            }
        }
    }
}

// 32 random voices a tick under each interpolation: the accumulators, and the
// voices where they end, bit for bit those of the plain path.
TEST_P(MixerInterpolationOnPath, EveryInterpolationGivesThePlainPathsBits)
{
    if (!CodePathAvailable(GetParam())) {
        GTEST_SKIP() << "this build or processor has no " << CodePathName(GetParam()) << " path";
    }
    ForRandomTwins(7u, 12, [this](TDmf& Plain, TDmf& OnPath, const std::string& What) {
        {
            const TScopedCodePath path(TCodePath::Plain);
            Plain.MixTick();
        }
        {
            const TScopedCodePath path(GetParam());
            OnPath.MixTick();
        }
        const std::vector<float> expected = TDmfMixerProbe::MixBuffer(Plain);
        ASSERT_EQ(
            std::memcmp(TDmfMixerProbe::MixBuffer(OnPath).data(), expected.data(), expected.size() * sizeof(float)), 0)
            << What;
        for (size_t v = 0; v < 32; ++v) {
            ExpectVoiceAsExpected(OnPath.Voices[v], Plain.Voices[v], What.c_str());
        }
    });
}

INSTANTIATE_TEST_SUITE_P(EveryPath, MixerInterpolationOnPath, testing::ValuesIn(CodePaths),
                         [](const testing::TestParamInfo<TCodePath>& Info) { return CodePathName(Info.param); });

// A tick skipped for a seek leaves every voice where mixing it under any
// interpolation would have, gone round its loop or not.
TEST(MixerInterpolation, MovingVoicesLeavesThemWhereMixingWould)
{
    ForRandomTwins(11u, 40, [](TDmf& Mixed, TDmf& Moved, const std::string& What) {
        Mixed.MixTick();
        Moved.MoveVoices();
        for (size_t v = 0; v < 32; ++v) {
            ExpectVoiceAsExpected(Moved.Voices[v], Mixed.Voices[v], What.c_str());
        }
    });
}

// A note started again is a new start: its voice has not yet gone round its
// loop, and reads the data before the loop as it lies on its first pass.
TEST(MixerInterpolation, ANoteStartedAgainHasNotGoneRoundItsLoop)
{
    auto song = MakeSong(1, 1, 16);
    TSample& sample = AddSample(*song, 1, 44100, 4000, true);
    sample.Looped = true;
    sample.LoopStart = 1000;
    sample.LoopEnd = 1200;
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    Cell(*song, 0, 0, 8) = {.Instrument = 1, .Note = 37};
    song->Start();
    bool passed = false;
    song->SequencerTick();
    while (song->CurrentRow < 9) {
        song->MoveVoices();
        passed = passed || song->Voices[0].LoopPassed;
        song->SequencerTick();
    }
    EXPECT_TRUE(passed);
    EXPECT_EQ(song->Voices[0].Position, 0);
    EXPECT_FALSE(song->Voices[0].LoopPassed);
}

// After a seek a song sounds from the landing point under any interpolation
// as it does played through: a voice that went round its loop in the ticks
// skipped reads the loop's last frames before its start as it would have.
TEST(MixerInterpolation, ASongSoundsAfterASeekAsPlayedThrough)
{
    for (const TInterpolation interpolation : AllInterpolations) {
        auto through = BusySong();
        through->Sound.Interpolation = interpolation;
        TDmfPlayback pass(*through);
        pass.Start();
        const std::vector<uint8_t> pcm = RenderRest(pass);
        for (const double share : {0.13, 0.5, 0.77}) {
            auto song = BusySong();
            song->Sound.Interpolation = interpolation;
            TDmfPlayback playback(*song);
            playback.Start();
            playback.Seek(share * TDmfPlayback::BytesToMs(static_cast<int64_t>(pcm.size())));
            const auto landing = static_cast<size_t>(playback.PositionBytes());
            const std::vector<uint8_t> after = RenderRest(playback);
            ASSERT_EQ(after.size(), pcm.size() - landing) << InterpolationName(interpolation);
            EXPECT_TRUE(std::equal(after.begin(), after.end(), pcm.begin() + static_cast<ptrdiff_t>(landing)))
                << InterpolationName(interpolation) << " from " << share;
        }
    }
}

// What a frame is read as outside a mix is the reference's value at the head,
// and, bit for bit, what a mix of that one frame at unit gain adds.
TEST(MixerInterpolation, AFramesValuesAreWhatItsMixAdds)
{
    TRandomVoices voices(5u);
    for (const TInterpolation interpolation : AllInterpolations) {
        for (const TLoops loops : {TLoops::AnyLength, TLoops::Short}) {
            for (int round = 0; round < 150; ++round) {
                auto song = SongWithTick(1);
                song->Sound.Interpolation = interpolation;
                TVoice& voice = song->Voices[0];
                voice = voices.Next(loops, 0);
                if (voice.Position > voice.EndOffset) {
                    continue;
                }
                const bool stereo = (voice.Flags & VoiceFlagStereo) != 0;
                // Unit gains: left or only to the left output, a stereo right to the right.
                voice.LeftGain = voice.LeftToLeft = voice.RightToRight = 255;
                voice.RightGain = voice.LeftToRight = voice.RightToLeft = 0;
                std::array<float, 2> values{};
                const uint64_t increment = IncrementOfVoice(voice);
                const TPlayHead head{voice.Position, voice.Fraction, 0, 0, increment};
                switch ((voice.Flags & VoiceFlag16Bit ? 2 : 0) + (stereo ? 1 : 0)) {
                case 0:
                    values = VoiceFrameValues<TFrameFormat<false, false>>(interpolation, voice, head);
                    break;
                case 1:
                    values = VoiceFrameValues<TFrameFormat<false, true>>(interpolation, voice, head);
                    break;
                case 2:
                    values = VoiceFrameValues<TFrameFormat<true, false>>(interpolation, voice, head);
                    break;
                default:
                    values = VoiceFrameValues<TFrameFormat<true, true>>(interpolation, voice, head);
                    break;
                }
                const TReferenceRead read{voice, interpolation != TInterpolation::Linear, voice.LoopPassed};
                const std::string what =
                    std::string(InterpolationName(interpolation)) + " round " + std::to_string(round);
                for (int channel = 0; channel < (stereo ? 2 : 1); ++channel) {
                    EXPECT_NEAR(values[static_cast<size_t>(channel)],
                                ReferenceValue(interpolation, read, voice.Position, voice.Fraction, increment, channel),
                                1.0)
                        << what;
                }
                song->MixTick();
                const std::vector<float> mixed = TDmfMixerProbe::MixBuffer(*song);
                EXPECT_EQ(mixed[0], values[0] * GainOf(255)) << what;
                EXPECT_EQ(mixed[1], stereo ? values[1] * GainOf(255) : 0.0f) << what;
            }
        }
    }
}

}  // namespace
