// The voice mixer: one tick of the 32 note voices into 16-bit stereo PCM,
// and the FIFO that cuts the ticks into the byte counts the player asks for.
//
// The output must be the same byte for byte on every build and on every code
// path (DmfMixKernels.h): the arithmetic of a frame is written once in
// DmfMixFrame.h, and the paths' kernels differ only in how many frames they
// do at a time. The walk of a voice's play head (its increments, loop wraps and end)
// is this file's alone, the same for mixing and for moving without mixing.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

#include "player/DmfMixFrame.h"
#include "player/DmfMixKernels.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"
#include "player/DmfStereoSeparation.h"

namespace {

// Mixes one frame that reaches outside the sample's allocation (or has no
// data at all): bytes outside read as zero.
template <class Format>
void MixOneGuarded(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float& Left,
                   float& Right)
{
    uint8_t frames[2 * Format::Bytes] = {};
    for (int i = 0; i < 2 * Format::Bytes; ++i) {
        const int64_t at = Head.Offset + i;
        if (Data && at >= 0 && at < DataLength) {
            frames[i] = Data[at];
        }
    }
    MixFrame<Format>(frames, Head.Fraction, Gains, Left, Right);
    Advance<Format>(Head);
}

// How many output frames, at most Limit, start at or before byte offset Last.
template <class Format> int32_t FramesUpTo(const TPlayHead& Head, int64_t Last, int32_t Limit)
{
    if (Head.Increment == 0) {
        return Limit;
    }
    // Frame n reads at Offset + Bytes * ((Fraction + n * Increment) >> 16); it
    // stays at or before Last while Fraction + n * Increment < (WholeFrames + 1) << 16.
    const uint64_t wholeFrames = static_cast<uint64_t>(Last - Head.Offset) >> Format::BytesShift;
    const uint64_t room = ((wholeFrames + 1) << MixFractionBits) - Head.Fraction;
    if (room <= Head.Increment) {
        return 1;  // an increment past a short loop: no division on every frame
    }
    const uint64_t frames = (room + Head.Increment - 1) / Head.Increment;
    return static_cast<int32_t>(std::min<uint64_t>(frames, static_cast<uint64_t>(Limit)));
}

// The voice's gains as reals, set up once per voice and tick: mono
// {left, right}, stereo {left to left, left to right, right to left, right to right}.
std::array<float, 4> GainsOf(const TVoice& Voice)
{
    const bool stereo = (Voice.Flags & VoiceFlagStereo) != 0;
    const std::array<int16_t, 4> gains =
        stereo ? std::array<int16_t, 4>{Voice.LeftToLeft, Voice.LeftToRight, Voice.RightToLeft, Voice.RightToRight}
               : std::array<int16_t, 4>{Voice.LeftGain, Voice.RightGain, 0, 0};
    std::array<float, 4> reals;
    for (size_t i = 0; i < gains.size(); ++i) {
        reals[i] = static_cast<float>(gains[i]) * MixGainScale;
    }
    return reals;
}

// The play head's increment: the voice's frequency over the output rate, in
// 16.16 frames. Taken in 64 bits: a 32-bit product would wrap above 65535 Hz.
// A voice without a positive frequency holds still.
uint64_t IncrementOf(int32_t Frequency, int32_t Rate)
{
    if (Frequency <= 0) {
        return 0;
    }
    return (static_cast<uint64_t>(Frequency) << MixFractionBits) / static_cast<uint64_t>(Rate);
}

// How far a head that has passed the loop's end by Over bytes goes back: by
// whole loop lengths until it is inside the loop again. A mixed stretch ends
// with the increment that passes the end, so Over is at most an increment and
// a frame, and the loop lengths a whole increment spans are counted once per
// voice and tick, not on every wrap; what is left, or a longer way (a skipped
// tick), takes a division.
class TLoopWrap {
public:
    TLoopWrap(int64_t LoopLength, uint32_t IncrementBytes)
        : LoopLength(LoopLength), IncrementLoops(LoopLength * (IncrementBytes / LoopLength))
    {
    }

    int64_t Back(int64_t Over) const
    {
        int64_t back = 0;
        if (Over > IncrementLoops) {
            back = IncrementLoops;
            Over -= IncrementLoops;
        }
        if (Over <= LoopLength) {
            return back + LoopLength;
        }
        return back + LoopLength * ((Over + LoopLength - 1) / LoopLength);
    }

private:
    int64_t LoopLength;
    int64_t IncrementLoops;  // the whole loop lengths within one increment
};

// Stretches shorter than this are mixed frame by frame in the walk itself:
// too short for the vector code to pay for its setup.
constexpr int32_t ShortStretch = 8;

// A loop the play head passes in fewer output frames than this is mixed
// round and round (TLoopedHead) rather than in a stretch per pass: the
// stretches would be too short to pay for their setup.
constexpr uint64_t ShortLoopFrames = 32;

// What a voice's walk does with each stretch of frames: mixes it into the
// tick's accumulators, or only moves past it (a seek skips the tick).
enum class TVoiceWalk { Mix, Move };

// Walks one voice over Frames output frames, in one frame format: the one
// walk of a play head, mixing or not. It runs in stretches that end where the
// head passes the end offset, then loops back or stops the voice, so that a
// tick skipped leaves the voice where a tick mixed leaves it: the same increments,
// the same wraps, the same end, a voice without frequency held still.
template <class Format, TVoiceWalk Walk>
void WalkVoice(TVoice& Voice, float* Left, float* Right, int32_t Frames, const TMixKernels* Kernels, int32_t Rate)
{
    const int64_t end = Voice.EndOffset;
    // An empty or reversed loop (or one starting before the data) would loop
    // forever without moving on; such a voice plays to its end instead.
    const bool loops = Voice.Looping && Voice.LoopStart >= 0 && end > Voice.LoopStart;
    const int64_t loopLength = end - Voice.LoopStart;
    const int32_t dataLength = Voice.Data ? std::max(Voice.DataLength, 0) : 0;
    // Last offset whose frame and the next one (a word at least) lie inside
    // the allocation.
    const int64_t insideLast = std::min<int64_t>(end, int64_t{dataLength} - Format::ReadBytes);

    const uint64_t increment = IncrementOf(Voice.Frequency, Rate);
    TPlayHead head{Voice.Position, Voice.Fraction, static_cast<uint32_t>(increment >> MixFractionBits) * Format::Bytes,
                   static_cast<uint32_t>(increment & MixFractionMask), increment};
    const std::array<float, 4> gains = Walk == TVoiceWalk::Mix ? GainsOf(Voice) : std::array<float, 4>{};
    const TMixStretch stretch = Kernels ? Kernels->Stretches[Format::Index] : nullptr;

    const TLoopWrap wrap(loops ? loopLength : 1, head.IncrementBytes);
    // A short loop whose every frame and the next one lie inside the
    // allocation: once the head is in it, it is mixed to the tick's end.
    const bool shortLoop =
        Walk == TVoiceWalk::Mix && loops && end <= insideLast &&
        (static_cast<uint64_t>(loopLength) << MixFractionBits) < ShortLoopFrames * increment * Format::Bytes;

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
        } else if (shortLoop && head.Offset >= Voice.LoopStart) {
            run = Frames - done;
            TLoopedHead looped(static_cast<uint32_t>(head.Offset), head.Fraction, head.IncrementBytes,
                               head.IncrementFraction, static_cast<uint32_t>(end), static_cast<uint32_t>(loopLength),
                               Format::Bytes);
            Kernels->Looped[Format::Index](Voice.Data, looped, gains.data(), Left + done, Right + done, run);
            head.Offset = looped.Offset;
            head.Fraction = looped.Fraction;
        } else if (head.Offset >= 0 && head.Offset <= insideLast) {
            run = FramesUpTo<Format>(head, insideLast, Frames - done);
            if (run < ShortStretch) {
                MixFrames<Format>(Voice.Data, dataLength, head, gains.data(), Left + done, Right + done, run);
            } else {
                stretch(Voice.Data, dataLength, head, gains.data(), Left + done, Right + done, run);
            }
        } else {
            MixOneGuarded<Format>(Voice.Data, dataLength, head, gains.data(), Left[done], Right[done]);
        }
        done += run;
        if (head.Offset > end) {
            if (!loops) {
                Voice.Active = false;
                break;
            }
            head.Offset -= wrap.Back(head.Offset - end);
        }
    }
    Voice.Position = static_cast<int32_t>(std::min<int64_t>(head.Offset, std::numeric_limits<int32_t>::max()));
    Voice.Fraction = static_cast<uint16_t>(head.Fraction);
}

// Walks every active voice below 32 over Frames frames at Rate in its frame
// format; a mix with the kernels of the process's code path.
template <TVoiceWalk Walk>
void WalkVoices(std::array<TVoice, VoiceCount>& Voices, float* Left, float* Right, int32_t Frames,
                const TMixKernels* Kernels, int32_t Rate)
{
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Voices[static_cast<size_t>(v)];
        if (!voice.Active) {
            continue;
        }
        const bool is16Bit = (voice.Flags & VoiceFlag16Bit) != 0;
        const bool stereo = (voice.Flags & VoiceFlagStereo) != 0;
        if (is16Bit && stereo) {
            WalkVoice<TFrameFormat<true, true>, Walk>(voice, Left, Right, Frames, Kernels, Rate);
        } else if (is16Bit) {
            WalkVoice<TFrameFormat<true, false>, Walk>(voice, Left, Right, Frames, Kernels, Rate);
        } else if (stereo) {
            WalkVoice<TFrameFormat<false, true>, Walk>(voice, Left, Right, Frames, Kernels, Rate);
        } else {
            WalkVoice<TFrameFormat<false, false>, Walk>(voice, Left, Right, Frames, Kernels, Rate);
        }
    }
}

// Song frames one tick lasts: the tick's length (BlockBytes) held to whole
// frames within the longest tick, and at least one frame so that every
// request completes.
int32_t TickSongFrames(int32_t Bytes)
{
    return std::clamp<int32_t>(Bytes, OutputBytesPerFrame, MaxTickBytes) / OutputBytesPerFrame;
}

}  // namespace

int32_t TDmf::NextTickFrames(int32_t Rate)
{
    const int64_t start = ElapsedFrames;
    ElapsedFrames += TickSongFrames(BlockBytes);
    return static_cast<int32_t>(OutputFramesOf(ElapsedFrames, Rate) - OutputFramesOf(start, Rate));
}

void TDmf::RenderBlock(void* Dest, int32_t Count)
{
    TLockGuard guard(Lock);
    if (Count <= 0 || Count > MaxTickBytesAt(SoundInForce().Rate)) {
        return;
    }
    AllocateRenderBuffers();
    while (Count > FifoBytes) {
        SequencerTick();
        const int32_t bytes = MixTick();
        if (FifoBytes == 0 && bytes >= Count) {
            // The usual request, one tick or less: straight from the tick,
            // only the rest through the FIFO.
            std::memcpy(Dest, TickBuffer.data(), static_cast<size_t>(Count));
            std::memcpy(Fifo.data(), TickBuffer.data() + Count, static_cast<size_t>(bytes - Count));
            FifoBytes = bytes - Count;
            return;
        }
        std::memcpy(Fifo.data() + FifoBytes, TickBuffer.data(), static_cast<size_t>(bytes));
        FifoBytes += bytes;
    }
    std::memcpy(Dest, Fifo.data(), static_cast<size_t>(Count));
    if (FifoBytes > Count) {
        std::memmove(Fifo.data(), Fifo.data() + Count, static_cast<size_t>(FifoBytes - Count));
    }
    FifoBytes -= Count;
}

void TDmf::MoveVoices()
{
    const int32_t rate = SoundInForce().Rate;
    WalkVoices<TVoiceWalk::Move>(Voices, nullptr, nullptr, NextTickFrames(rate), nullptr, rate);
}

void TDmf::DiscardQueued()
{
    TLockGuard guard(Lock);
    FifoBytes = 0;
}

// Bound: a tick mixes at most MixedVoices (32) voices over at most
// MaxTickFramesAt(rate) (110,250 at 44100 Hz, 480,000 at 192000) frames, and
// each pass of a voice's loop mixes at least one frame, a loop wrap taking one
// division however far an increment overshoots: the work is linear in the
// tick's frames whatever the voices' frequencies or loop lengths (about 30 ms
// for the heaviest tick at 44100 Hz, benchmark BM_MixHeaviestTick).
int32_t TDmf::MixTick()
{
    AllocateRenderBuffers();
    const TSoundSettings sound = SoundInForce();
    const int32_t frames = NextTickFrames(sound.Rate);
    float* left = MixLeftOf(MixBuffer.data());
    float* right = left + MixRight;
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    const TMixKernels& kernels = MixKernelsOf(CodePath());
    WalkVoices<TVoiceWalk::Mix>(Voices, left, right, frames, &kernels, sound.Rate);
    if (sound.Separation != 100) {
        SeparateStereo(left, right, frames, sound.Separation);
    }
    kernels.Convert(left, right, TickBuffer.data(), frames);
    return frames * OutputBytesPerFrame;
}
