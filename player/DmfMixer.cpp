// The voice mixer: one tick of the 32 note voices into 16-bit stereo PCM,
// and the FIFO that cuts the ticks into the byte counts the player asks for.
//
// The output must be the same byte for byte on every build: all sums and
// products are single-precision floats, each stored after every operation
// (no fused multiply-add, no reassociation), and the interpolation weight is
// always exact (a multiple of 1/65536 below 2).

#include <algorithm>
#include <cmath>
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

// The gains of one voice as reals, set up once per voice and tick.
struct TGains {
    float Left;          // mono value to the left output
    float Right;         // mono value to the right output
    float LeftToLeft;    // stereo left channel to the left output
    float LeftToRight;   // stereo left channel to the right output
    float RightToLeft;   // stereo right channel to the left output
    float RightToRight;  // stereo right channel to the right output
};

// The four PCM frame formats. Value reads channel Channel of the frame at
// Frame as a 16-bit scale value (8-bit values count 256 times as much).
template <bool Is16Bit, bool IsStereo>
struct TFrameFormat {
    static constexpr bool Stereo = IsStereo;
    static constexpr int ValueBytes = Is16Bit ? 2 : 1;
    static constexpr int Bytes = ValueBytes * (IsStereo ? 2 : 1);
    static constexpr int BytesShift = Bytes == 4 ? 2 : Bytes == 2 ? 1 : 0;

    static float Value(const uint8_t* Frame, int Channel)
    {
        const uint8_t* at = Frame + Channel * ValueBytes;
        if constexpr (Is16Bit)
            return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8))));
        else
            return static_cast<float>(static_cast<int8_t>(at[0]) * 256);
    }
};

// Adds one output frame: the frame at Frame and the next one, weighted by W,
// times the voice's gains, into Out[0] (left) and Out[1] (right).
template <class Format>
inline void MixFrame(const uint8_t* Frame, float W, const TGains& Gains, float* Out)
{
    const uint8_t* next = Frame + Format::Bytes;
    const float keep = 1.0f - W;
    if constexpr (Format::Stereo) {
        const float left = Format::Value(Frame, 0) * keep + Format::Value(next, 0) * W;
        Out[0] += left * Gains.LeftToLeft;
        Out[1] += left * Gains.LeftToRight;
        const float right = Format::Value(Frame, 1) * keep + Format::Value(next, 1) * W;
        Out[0] += right * Gains.RightToLeft;
        Out[1] += right * Gains.RightToRight;
    } else {
        const float value = Format::Value(Frame, 0) * keep + Format::Value(next, 0) * W;
        Out[0] += value * Gains.Left;
        Out[1] += value * Gains.Right;
    }
}

// Where a voice plays and how fast it moves, in bytes and 1/65536 frames.
struct TPlayHead {
    int64_t Offset;      // byte offset of the current frame from the voice's Data
    uint32_t Fraction;   // position between this frame and the next, 0..65535
    uint32_t StepBytes;  // whole frames of one output step, in bytes
    uint32_t StepFraction;  // fraction of a frame of one output step
    uint64_t Step;          // the whole step in 16.16 frames
};

// Moves the play head on by one output frame.
template <class Format>
inline void Advance(TPlayHead& Head)
{
    Head.Fraction += Head.StepFraction;
    Head.Offset += Head.StepBytes + (Head.Fraction >> FractionBits) * Format::Bytes;
    Head.Fraction &= FractionMask;
}

// Mixes Frames frames whose two source frames all lie inside the sample's
// allocation: no bounds checks, no branches. The offset fits 32 bits here.
template <class Format>
void MixInside(const uint8_t* Data, TPlayHead& Head, const TGains& Gains, float* Out, int32_t Frames)
{
    uint32_t offset = static_cast<uint32_t>(Head.Offset);
    uint32_t fraction = Head.Fraction;
    const uint32_t stepBytes = Head.StepBytes;
    const uint32_t stepFraction = Head.StepFraction;
    for (int32_t k = 0; k < Frames; ++k) {
        MixFrame<Format>(Data + offset, static_cast<float>(fraction) * WeightScale, Gains, Out + 2 * k);
        fraction += stepFraction;
        offset += stepBytes + (fraction >> FractionBits) * Format::Bytes;
        fraction &= FractionMask;
    }
    Head.Offset = offset;
    Head.Fraction = fraction;
}

// Mixes one frame that reaches outside the sample's allocation (or has no
// data at all): bytes outside read as zero.
template <class Format>
void MixOneGuarded(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const TGains& Gains, float* Out)
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
template <class Format>
int32_t FramesUpTo(const TPlayHead& Head, int64_t Last, int32_t Limit)
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

TGains GainsOf(const TVoice& Voice)
{
    return {static_cast<float>(Voice.LeftGain) * GainScale,   static_cast<float>(Voice.RightGain) * GainScale,
            static_cast<float>(Voice.LeftToLeft) * GainScale, static_cast<float>(Voice.LeftToRight) * GainScale,
            static_cast<float>(Voice.RightToLeft) * GainScale, static_cast<float>(Voice.RightToRight) * GainScale};
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

// Mixes one voice for Frames output frames into Out, in one frame format.
template <class Format>
void MixVoice(TVoice& Voice, float* Out, int32_t Frames)
{
    const int64_t end = Voice.EndOffset;
    // An empty or reversed loop (or one starting before the data) would loop
    // forever without moving on; such a voice plays to its end instead.
    const bool loops = Voice.Looping && Voice.LoopStart >= 0 && end > Voice.LoopStart;
    const int64_t loopLength = end - Voice.LoopStart;
    const int32_t dataLength = Voice.Data ? std::max(Voice.DataLength, 0) : 0;
    // Last offset whose frame and the next one lie inside the allocation.
    const int64_t insideLast = std::min<int64_t>(end, int64_t{dataLength} - 2 * Format::Bytes);

    const TGains gains = GainsOf(Voice);
    const uint64_t step = StepOf(Voice.Frequency);
    TPlayHead head{Voice.Position, Voice.Fraction, static_cast<uint32_t>(step >> FractionBits) * Format::Bytes,
                   static_cast<uint32_t>(step & FractionMask), step};

    // A voice already past its end is silenced unmixed, looping or not.
    if (head.Offset > end) {
        Voice.Active = false;
        return;
    }
    int32_t done = 0;
    while (done < Frames) {
        int32_t run = 1;
        if (head.Offset >= 0 && head.Offset <= insideLast) {
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
    while (Count > FifoBytes) {
        SkipBlock();
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

void TDmf::MixTick()
{
    const int32_t frames = TickBytesOf(BlockBytes) / 4;
    const int32_t values = 2 * frames;
    float* mix = MixBuffer.data();
    std::fill(mix, mix + values, 0.0f);

    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Voices[static_cast<size_t>(v)];
        if (!voice.Active)
            continue;
        const bool is16Bit = (voice.Flags & VoiceFlag16Bit) != 0;
        const bool stereo = (voice.Flags & VoiceFlagStereo) != 0;
        if (is16Bit && stereo)
            MixVoice<TFrameFormat<true, true>>(voice, mix, frames);
        else if (is16Bit)
            MixVoice<TFrameFormat<true, false>>(voice, mix, frames);
        else if (stereo)
            MixVoice<TFrameFormat<false, true>>(voice, mix, frames);
        else
            MixVoice<TFrameFormat<false, false>>(voice, mix, frames);
    }

    int32_t* ints = MixInts.data();
    uint8_t* out = TickBuffer.data();
    for (int32_t i = 0; i < values; ++i) {
        // lrint rounds in the default mode: to nearest, halves to even.
        ints[i] = static_cast<int32_t>(std::lrint(mix[i]));
        const int32_t sample = std::clamp<int32_t>(ints[i] >> 2, -32768, 32767);
        out[2 * i] = static_cast<uint8_t>(sample & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
    }
}
