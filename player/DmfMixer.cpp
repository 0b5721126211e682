// The voice mixer: one tick of the 32 note voices into 16-bit stereo PCM,
// and the FIFO that cuts the ticks into the byte counts the player asks for.
//
// The output must be the same byte for byte on every build: all sums and
// products are single-precision floats, each stored after every operation
// (no fused multiply-add, no reassociation), and the interpolation weight is
// always exact (a multiple of 1/65536 below 2).

// Never fuse a product into a sum, even for a processor that could: each
// must be rounded on its own for the output to match everywhere.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "player/DmfSong.h"

namespace {

// Gain 0..254 in 1/255 steps, held in single precision.
constexpr float GainScale = 0.003921568859f;
// Interpolation weights are 16-bit fractions of a frame.
constexpr float WeightScale = 1.0f / 65536.0f;
constexpr int FractionBits = 16;
constexpr uint32_t FractionMask = 0xFFFF;
// Rounding of the accumulators to integers (see MixTick).
constexpr float RoundingBias = 12582912.0f;  // 1.5 x 2^23
constexpr float RoundingRange = 4194304.0f;  // 2^22

// Four lanes of floats or integers; the compiler maps them to SSE registers.
// Lane-wise arithmetic is plain single precision, the same as scalar code.
typedef float TFloat4 __attribute__((vector_size(16)));
typedef int32_t TInt4 __attribute__((vector_size(16)));
typedef int16_t TShort4 __attribute__((vector_size(8)));
typedef int8_t TByte4 __attribute__((vector_size(4)));
typedef double TDouble2 __attribute__((vector_size(16)));

// Lanes I0..I3 of V (GCC and clang spell a constant shuffle differently).
template <int I0, int I1, int I2, int I3> inline TFloat4 Shuffle(TFloat4 V)
{
#ifdef __clang__
    return __builtin_shufflevector(V, V, I0, I1, I2, I3);
#else
    return __builtin_shuffle(V, TInt4{I0, I1, I2, I3});
#endif
}

// The left and right accumulators of one output frame in lanes 0 and 1,
// moved as one 64-bit word (a whole-register load of 8 stored bytes stalls).
inline TFloat4 LoadFrame(const float* Out)
{
    double both;
    std::memcpy(&both, Out, sizeof both);
    return reinterpret_cast<TFloat4>(TDouble2{both, 0.0});
}

inline void StoreFrame(float* Out, TFloat4 Sum)
{
    const double both = reinterpret_cast<TDouble2>(Sum)[0];
    std::memcpy(Out, &both, sizeof both);
}

// The four PCM frame formats.
//
// Pair reads the frame at Frame and the next one as 16-bit scale values
// (8-bit values count 256 times as much): stereo {A left, A right, B left,
// B right}, mono {A, B, 0, 0}.
//
// Columns reads the same for four frame positions at once, one value per
// lane: LeftA/LeftB are A and B of the left (or only) channel, RightA/RightB
// those of the right channel. The bytes of a pair are loaded as 32-bit words
// and the values cut out by shifts, which keeps the sign.
//
// PCM and processor are both little-endian, so bytes load straight into lanes.
template <bool Is16Bit, bool IsStereo> struct TFrameFormat {
    static constexpr bool Stereo = IsStereo;
    static constexpr int Bytes = (Is16Bit ? 2 : 1) * (IsStereo ? 2 : 1);
    static constexpr int BytesShift = Bytes == 4 ? 2 : Bytes == 2 ? 1 : 0;

    static TFloat4 Pair(const uint8_t* Frame)
    {
        if constexpr (Is16Bit) {
            TShort4 values{};
            std::memcpy(&values, Frame, 2 * Bytes);
            return __builtin_convertvector(__builtin_convertvector(values, TInt4), TFloat4);
        } else {
            TByte4 values{};
            std::memcpy(&values, Frame, 2 * Bytes);
            return __builtin_convertvector(__builtin_convertvector(values, TInt4) * 256, TFloat4);
        }
    }

    struct TColumns {
        TFloat4 LeftA, LeftB, RightA, RightB;  // mono: the values are in LeftA, LeftB
    };

    static TColumns Columns(const uint8_t* Data, const uint32_t (&Offsets)[4])
    {
        const auto words = [&](uint32_t Skip) {
            TInt4 lanes;
            for (int j = 0; j < 4; ++j) {
                if constexpr (Bytes == 1) {
                    uint16_t pair;
                    std::memcpy(&pair, Data + Offsets[j], sizeof pair);
                    lanes[j] = pair;
                } else {
                    int32_t word;
                    std::memcpy(&word, Data + Offsets[j] + Skip, sizeof word);
                    lanes[j] = word;
                }
            }
            return lanes;
        };
        const auto floats = [](TInt4 Values) { return __builtin_convertvector(Values, TFloat4); };
        const TInt4 lowByteOff = TInt4{} + ~0xFF;
        TColumns c{};
        if constexpr (Is16Bit && IsStereo) {
            const TInt4 a = words(0), b = words(4);
            c = {floats((a << 16) >> 16), floats((b << 16) >> 16), floats(a >> 16), floats(b >> 16)};
        } else if constexpr (Is16Bit) {
            const TInt4 w = words(0);
            c.LeftA = floats((w << 16) >> 16);
            c.LeftB = floats(w >> 16);
        } else if constexpr (IsStereo) {
            const TInt4 w = words(0);
            c = {floats((w << 24) >> 16), floats(((w << 8) >> 16) & lowByteOff), floats(((w << 16) >> 16) & lowByteOff),
                 floats((w >> 16) & lowByteOff)};
        } else {
            const TInt4 w = words(0);
            c.LeftA = floats((w << 24) >> 16);
            c.LeftB = floats(((w << 16) >> 16) & lowByteOff);
        }
        return c;
    }
};

// Adds one output frame: the frame at Frame and the next one, weighted by W,
// times the voice's gains, into Out[0] (left) and Out[1] (right). Each lane
// does exactly the scalar steps: A x (1 - W) + B x W, then left += v x gain,
// right += v x gain, stereo left channel before right.
template <class Format> inline void MixFrame(const uint8_t* Frame, float W, const TFloat4& Gains, float* Out)
{
    const TFloat4 pair = Format::Pair(Frame);
    TFloat4 sum = LoadFrame(Out);
    if constexpr (Format::Stereo) {
        // {1 - W, 1 - W, W, W}: 1 + (-W) is exactly 1 - W.
        const TFloat4 weights = TFloat4{1.0f, 1.0f, 0.0f, 0.0f} + TFloat4{-1.0f, -1.0f, 1.0f, 1.0f} * W;
        const TFloat4 products = pair * weights;
        const TFloat4 values = products + Shuffle<2, 3, 2, 3>(products);  // {vl, vr, ..}
        const TFloat4 routed = Shuffle<0, 0, 1, 1>(values) * Gains;       // {vl LL, vl LR, vr RL, vr RR}
        sum += routed;
        sum += Shuffle<2, 3, 2, 3>(routed);
    } else {
        const TFloat4 weights = TFloat4{1.0f, 0.0f, 0.0f, 0.0f} + TFloat4{-1.0f, 1.0f, 0.0f, 0.0f} * W;
        const TFloat4 products = pair * weights;
        const float value = products[0] + products[1];
        sum += TFloat4{value, value, 0.0f, 0.0f} * Gains;
    }
    StoreFrame(Out, sum);
}

// Adds four consecutive output frames whose source frames start at Offsets
// with weights Fractions / 65536, lane by lane the same steps as MixFrame.
// ToOutputs: {left, right, left, right} gains of the left (or only) channel,
// RightToOutputs those of a stereo right channel.
template <class Format>
inline void MixFour(const uint8_t* Data, const uint32_t (&Offsets)[4], TInt4 Fractions, const TFloat4& ToOutputs,
                    const TFloat4& RightToOutputs, float* Out)
{
    const typename Format::TColumns c = Format::Columns(Data, Offsets);
    const TFloat4 w = __builtin_convertvector(Fractions, TFloat4) * WeightScale;
    const TFloat4 keep = 1.0f - w;
    TFloat4 first, second;  // output frames 0, 1 and 2, 3 as left, right, left, right
    std::memcpy(&first, Out, sizeof first);
    std::memcpy(&second, Out + 4, sizeof second);
    const TFloat4 left = c.LeftA * keep + c.LeftB * w;
    first += Shuffle<0, 0, 1, 1>(left) * ToOutputs;
    if constexpr (Format::Stereo) {
        const TFloat4 right = c.RightA * keep + c.RightB * w;
        first += Shuffle<0, 0, 1, 1>(right) * RightToOutputs;
        second += Shuffle<2, 2, 3, 3>(left) * ToOutputs;
        second += Shuffle<2, 2, 3, 3>(right) * RightToOutputs;
    } else {
        second += Shuffle<2, 2, 3, 3>(left) * ToOutputs;
    }
    std::memcpy(Out, &first, sizeof first);
    std::memcpy(Out + 4, &second, sizeof second);
}

// Where a voice plays and how fast it moves, in bytes and 1/65536 frames.
struct TPlayHead {
    int64_t Offset;         // byte offset of the current frame from the voice's Data
    uint32_t Fraction;      // position between this frame and the next, 0..65535
    uint32_t StepBytes;     // whole frames of one output step, in bytes
    uint32_t StepFraction;  // fraction of a frame of one output step
    uint64_t Step;          // the whole step in 16.16 frames
};

// Moves the play head on by one output frame.
template <class Format> inline void Advance(TPlayHead& Head)
{
    Head.Fraction += Head.StepFraction;
    Head.Offset += Head.StepBytes + (Head.Fraction >> FractionBits) * Format::Bytes;
    Head.Fraction &= FractionMask;
}

// Moves the play head on by Frames output frames at once: the same place as
// Frames single advances (the whole steps and the carries of the fractions
// add up to the 16.16 total). At most 110,250 frames of a step below 2^32.
template <class Format> inline void AdvanceBy(TPlayHead& Head, int32_t Frames)
{
    const uint64_t total = Head.Fraction + static_cast<uint64_t>(Frames) * Head.Step;
    Head.Offset += static_cast<int64_t>(total >> FractionBits) * Format::Bytes;
    Head.Fraction = static_cast<uint32_t>(total & FractionMask);
}

// Mixes Frames frames whose two source frames all lie inside the sample's
// allocation: no bounds checks, no branches. The offset fits 32 bits here.
template <class Format>
void MixInside(const uint8_t* Data, TPlayHead& Head, const TFloat4& Gains, float* Out, int32_t Frames)
{
    uint32_t offset = static_cast<uint32_t>(Head.Offset);
    uint32_t fraction = Head.Fraction;
    const uint32_t stepBytes = Head.StepBytes;
    const uint32_t stepFraction = Head.StepFraction;
    const auto advance = [&] {
        fraction += stepFraction;
        offset += stepBytes + (fraction >> FractionBits) * Format::Bytes;
        fraction &= FractionMask;
    };
    // Four frames at a time: the fractions of the next four steps are the
    // current one plus 0..3 fraction steps, wrapped to 16 bits.
    const TInt4 fractionSteps = TInt4{0, 1, 2, 3} * static_cast<int32_t>(stepFraction);
    const TFloat4 toOutputs = Shuffle<0, 1, 0, 1>(Gains);
    const TFloat4 rightToOutputs = Shuffle<2, 3, 2, 3>(Gains);
    int32_t k = 0;
    for (; k + 4 <= Frames; k += 4) {
        const TInt4 fractions = (static_cast<int32_t>(fraction) + fractionSteps) & static_cast<int32_t>(FractionMask);
        uint32_t offsets[4];
        for (uint32_t& at : offsets) {
            at = offset;
            advance();
        }
        MixFour<Format>(Data, offsets, fractions, toOutputs, rightToOutputs, Out + 2 * k);
    }
    for (; k < Frames; ++k) {
        MixFrame<Format>(Data + offset, static_cast<float>(fraction) * WeightScale, Gains, Out + 2 * k);
        advance();
    }
    Head.Offset = offset;
    Head.Fraction = fraction;
}

// Mixes one frame that reaches outside the sample's allocation (or has no
// data at all): bytes outside read as zero.
template <class Format>
void MixOneGuarded(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const TFloat4& Gains, float* Out)
{
    uint8_t frames[2 * Format::Bytes] = {};
    for (int i = 0; i < 2 * Format::Bytes; ++i) {
        const int64_t at = Head.Offset + i;
        if (Data && at >= 0 && at < DataLength)
            frames[i] = Data[at];
    }
    MixFrame<Format>(frames, static_cast<float>(Head.Fraction) * WeightScale, Gains, Out);
    Advance<Format>(Head);
}

// How many output frames, at most Limit, start at or before byte offset Last.
template <class Format> int32_t FramesUpTo(const TPlayHead& Head, int64_t Last, int32_t Limit)
{
    if (Head.Step == 0)
        return Limit;
    // Frame n reads at Offset + Bytes * ((Fraction + n * Step) >> 16); it stays
    // at or before Last while Fraction + n * Step < (WholeFrames + 1) << 16.
    const uint64_t wholeFrames = static_cast<uint64_t>(Last - Head.Offset) >> Format::BytesShift;
    const uint64_t room = ((wholeFrames + 1) << FractionBits) - Head.Fraction;
    const uint64_t frames = (room + Head.Step - 1) / Head.Step;
    return static_cast<int32_t>(std::min<uint64_t>(frames, static_cast<uint64_t>(Limit)));
}

// The voice's gains as reals, set up once per voice and tick: mono
// {left, right}, stereo {left to left, left to right, right to left, right to right}.
TFloat4 GainsOf(const TVoice& Voice)
{
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const TInt4 gains = stereo ? TInt4{Voice.LeftToLeft, Voice.LeftToRight, Voice.RightToLeft, Voice.RightToRight}
                               : TInt4{Voice.LeftGain, Voice.RightGain, 0, 0};
    return __builtin_convertvector(gains, TFloat4) * GainScale;
}

// Resampling step from the voice's frequency to the output rate in 16.16
// frames. Taken in 64 bits: a 32-bit product would wrap above 65535 Hz.
// A voice without a positive frequency holds still.
uint64_t StepOf(int32_t Frequency)
{
    if (Frequency <= 0)
        return 0;
    return (static_cast<uint64_t>(Frequency) << FractionBits) / static_cast<uint64_t>(OutputRate);
}

// What a voice's walk does with each stretch of frames: mixes it into the
// tick's accumulators, or only moves past it (a seek skips the tick).
enum class TVoiceWalk { Mix, Move };

// Walks one voice over Frames output frames, in one frame format: the one
// walk of a play head, mixing or not. It runs in stretches that end where the
// head passes the end offset, then loops back or stops the voice, so that a
// tick skipped leaves the voice where a tick mixed leaves it: the same step,
// the same wraps, the same end, a voice without frequency held still.
template <class Format, TVoiceWalk Walk> void WalkVoice(TVoice& Voice, float* Out, int32_t Frames)
{
    const int64_t end = Voice.EndOffset;
    // An empty or reversed loop (or one starting before the data) would loop
    // forever without moving on; such a voice plays to its end instead.
    const bool loops = Voice.Looping && Voice.LoopStart >= 0 && end > Voice.LoopStart;
    const int64_t loopLength = end - Voice.LoopStart;
    const int32_t dataLength = Voice.Data ? std::max(Voice.DataLength, 0) : 0;
    // Last offset whose frame and the next one lie inside the allocation.
    const int64_t insideLast = std::min<int64_t>(end, int64_t{dataLength} - 2 * Format::Bytes);

    const uint64_t step = StepOf(Voice.Frequency);
    TPlayHead head{Voice.Position, Voice.Fraction, static_cast<uint32_t>(step >> FractionBits) * Format::Bytes,
                   static_cast<uint32_t>(step & FractionMask), step};
    const TFloat4 gains = Walk == TVoiceWalk::Mix ? GainsOf(Voice) : TFloat4{};

    // A voice already past its end is silenced unmixed, looping or not.
    if (head.Offset > end) {
        Voice.Active = false;
        return;
    }
    int32_t done = 0;
    while (done < Frames) {
        int32_t run = 1;
        if constexpr (Walk == TVoiceWalk::Move) {
            // Nothing is read: every frame up to the end offset at once, and a
            // looping voice all the way, its wraps taken below in one division
            // (they only ever go back by whole loop lengths).
            run = loops ? Frames - done : FramesUpTo<Format>(head, end, Frames - done);
            AdvanceBy<Format>(head, run);
        } else if (head.Offset >= 0 && head.Offset <= insideLast) {
            run = FramesUpTo<Format>(head, insideLast, Frames - done);
            MixInside<Format>(Voice.Data, head, gains, Out + 2 * done, run);
        } else {
            MixOneGuarded<Format>(Voice.Data, dataLength, head, gains, Out + 2 * done);
        }
        done += run;
        if (head.Offset > end) {
            if (!loops) {
                Voice.Active = false;
                break;
            }
            // Back by whole loop lengths until the head is inside the loop
            // again; one division covers a step that spans many loops.
            const int64_t over = head.Offset - end;
            head.Offset -= loopLength * ((over + loopLength - 1) / loopLength);
        }
    }
    Voice.Position = static_cast<int32_t>(std::min<int64_t>(head.Offset, std::numeric_limits<int32_t>::max()));
    Voice.Fraction = static_cast<uint16_t>(head.Fraction);
}

// Walks every active voice below 32 over Frames frames in its frame format.
template <TVoiceWalk Walk> void WalkVoices(std::array<TVoice, VoiceCount>& Voices, float* Out, int32_t Frames)
{
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Voices[static_cast<size_t>(v)];
        if (!voice.Active)
            continue;
        const bool is16Bit = (voice.Flags & VoiceFlag16Bit) != 0;
        const bool stereo = (voice.Flags & VoiceFlagStereo) != 0;
        if (is16Bit && stereo)
            WalkVoice<TFrameFormat<true, true>, Walk>(voice, Out, Frames);
        else if (is16Bit)
            WalkVoice<TFrameFormat<true, false>, Walk>(voice, Out, Frames);
        else if (stereo)
            WalkVoice<TFrameFormat<false, true>, Walk>(voice, Out, Frames);
        else
            WalkVoice<TFrameFormat<false, false>, Walk>(voice, Out, Frames);
    }
}

// Bytes one tick yields: BlockBytes held to whole frames within the buffers,
// and at least one frame so that every request completes.
int32_t TickBytesOf(int32_t BlockBytes)
{
    return std::clamp<int32_t>(BlockBytes, 4, MaxBlockBytes) & ~3;
}

}  // namespace

void TDmf::RenderBlock(void* Dest, int32_t Count)
{
    TLockGuard guard(Lock);
    if (Count <= 0 || Count > MaxBlockBytes)
        return;
    AllocateRenderBuffers();
    while (Count > FifoBytes) {
        SequencerTick();
        MixTick();
        const int32_t bytes = TickBytesOf(BlockBytes);
        std::memcpy(Fifo.data() + FifoBytes, TickBuffer.data(), static_cast<size_t>(bytes));
        FifoBytes += bytes;
    }
    std::memcpy(Dest, Fifo.data(), static_cast<size_t>(Count));
    if (FifoBytes > Count)
        std::memmove(Fifo.data(), Fifo.data() + Count, static_cast<size_t>(FifoBytes - Count));
    FifoBytes -= Count;
}

void TDmf::MoveVoices()
{
    WalkVoices<TVoiceWalk::Move>(Voices, nullptr, TickBytesOf(BlockBytes) / 4);
}

void TDmf::DiscardQueued()
{
    TLockGuard guard(Lock);
    FifoBytes = 0;
}

// Bound: a tick mixes at most MixedVoices (32) voices over at most
// MaxBlockBytes / 4 (110,250) frames, and each pass of a voice's loop mixes at
// least one frame, a loop wrap taking one division however far a step
// overshoots: the work is linear in the tick's frames whatever the voices'
// frequencies or loop lengths (about 30 ms for the heaviest tick, benchmark
// BM_MixHeaviestTick).
void TDmf::MixTick()
{
    AllocateRenderBuffers();
    const int32_t frames = TickBytesOf(BlockBytes) / 4;
    const int32_t paddedValues = (2 * frames + 3) & ~3;
    float* mix = MixBuffer.data();
    std::fill(mix, mix + paddedValues, 0.0f);

    WalkVoices<TVoiceWalk::Mix>(Voices, mix, frames);

    // Four values at a time; the buffers have room for the last group's
    // padding, which was zeroed with the rest.
    int32_t* ints = MixInts.data();
    uint8_t* out = TickBuffer.data();
    const TFloat4 range = TFloat4{} + RoundingRange;
    const TFloat4 outputRange = TFloat4{} + 131071.0f;
    for (int32_t i = 0; i < paddedValues; i += 4) {
        TFloat4 sum;
        std::memcpy(&sum, mix + i, sizeof sum);
        // Adding and taking away 1.5 x 2^23 leaves the value rounded to an
        // integer in the default rounding mode (to nearest, halves to even);
        // exact below 2^22, which 32 voices at full gain stay under. Larger
        // values (only from out-of-range gains) are held there first; they
        // saturate all the same.
        sum = sum < -range ? -range : sum;
        sum = sum > range ? range : sum;
        TFloat4 rounded = (sum + RoundingBias) - RoundingBias;
        const TInt4 whole = __builtin_convertvector(rounded, TInt4);
        std::memcpy(ints + i, &whole, sizeof whole);
        // Saturation before the shift by 2 (toward minus infinity), then
        // little-endian 16-bit words.
        rounded = rounded < -outputRange - 1.0f ? -outputRange - 1.0f : rounded;
        rounded = rounded > outputRange ? outputRange : rounded;
        const TShort4 samples = __builtin_convertvector(__builtin_convertvector(rounded, TInt4) >> 2, TShort4);
        std::memcpy(out + 2 * i, &samples, sizeof samples);
    }
}
