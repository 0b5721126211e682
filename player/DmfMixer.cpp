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
#include <type_traits>

#include "player/DmfMixFrame.h"
#include "player/DmfMixKernels.h"
#include "player/DmfMixTaps.h"
#include "player/DmfPlayedFrames.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"
#include "player/DmfStereoSeparation.h"
#include "player/DmfVoiceRamps.h"
#include "player/DmfVoiceValues.h"

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

// The play head's increment: the voice's frequency over the output rate, in
// 16.16 frames. Taken in 64 bits: a 32-bit product would wrap above 65535 Hz.
// A voice without a positive frequency holds still. At 44100 Hz the
// division is by a constant, which the compiler makes a multiplication (the
// skipped ticks of a seek take this for every voice).
uint64_t IncrementOf(int32_t Frequency, int32_t Rate)
{
    if (Frequency <= 0) {
        return 0;
    }
    const uint64_t scaled = static_cast<uint64_t>(Frequency) << MixFractionBits;
    return Rate == OutputRate ? scaled / OutputRate : scaled / static_cast<uint64_t>(Rate);
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

// An empty or reversed loop (or one starting before the data) would loop
// forever without moving on; such a voice plays to its end instead.
bool LoopsOf(const TVoice& Voice)
{
    return Voice.Looping && Voice.LoopStart >= 0 && Voice.EndOffset > Voice.LoopStart;
}

// What a walk that reads no taps (linear's, one that only moves, or a glide's
// frame by frame) keeps of them: nothing.
struct TNoTapReads {
    template <class... TArguments> explicit TNoTapReads(const TArguments&...) { }
};

// What a voice's walk does with each stretch of frames: mixes it into the
// tick's accumulators, mixes it frame by frame with gains of each frame's own
// (a glide of click removal, the same code on every path), or only moves past
// it (a seek skips the tick).
enum class TVoiceWalk { Mix, Ramp, Move };

// Walks one voice over Frames output frames, in one frame format: the one
// walk of a play head, mixing or not. It runs in stretches that end where the
// head passes the end offset, then loops back or stops the voice, so that a
// tick skipped leaves the voice where a tick mixed leaves it: the same increments,
// the same wraps, the same end, a voice without frequency held still. A glide
// takes frame k's gains from FrameGains[4k..4k+3]. Returns the frames the
// voice played: Frames, or fewer when it ended. Built into each caller: a
// skipped tick walks every voice, and a call per voice would cost it more
// than the walk of a voice without a short loop does. A mix runs its
// stretches under Interpolation; the interpolations beside linear read the
// frames the voice plays around its head (DmfPlayedFrames.h), and a glide's
// frames read them as the interpolation does (DmfVoiceValues.h).
template <class Format, TVoiceWalk Walk, TInterpolation Interpolation = TInterpolation::Linear>
[[gnu::always_inline]] inline int32_t WalkVoice(TVoice& Voice, float* Left, float* Right, int32_t Frames,
                                                const TMixKernels* Kernels, int32_t Rate,
                                                const float* FrameGains = nullptr)
{
    const int64_t end = Voice.EndOffset;
    const bool loops = LoopsOf(Voice);
    const int64_t loopLength = end - Voice.LoopStart;
    const int32_t dataLength = Voice.Data ? std::max(Voice.DataLength, 0) : 0;
    // Last offset whose frame and the next one (a word at least) lie inside
    // the allocation.
    const int64_t insideLast = std::min<int64_t>(end, int64_t{dataLength} - Format::ReadBytes);

    const uint64_t increment = IncrementOf(Voice.Frequency, Rate);
    TPlayHead head{Voice.Position, Voice.Fraction, static_cast<uint32_t>(increment >> MixFractionBits) * Format::Bytes,
                   static_cast<uint32_t>(increment & MixFractionMask), increment};
    const std::array<float, 4> gains = Walk == TVoiceWalk::Mix ? VoiceGains(Voice) : std::array<float, 4>{};
    const TMixStretch stretch =
        Kernels ? Kernels->Stretches[static_cast<size_t>(Interpolation)][Format::Index] : nullptr;
    constexpr bool ReadsTaps = Walk == TVoiceWalk::Mix && Interpolation != TInterpolation::Linear;
    [[maybe_unused]] std::conditional_t<ReadsTaps, TTapReads<Format>, TNoTapReads> reads(Voice, Interpolation, head,
                                                                                         Frames);

    const TLoopWrap wrap(loops ? loopLength : 1, head.IncrementBytes);
    // A short loop whose every frame and the next one lie inside the
    // allocation: once the head is in it, it is mixed to the tick's end.
    const bool shortLoop =
        Walk == TVoiceWalk::Mix && loops && end <= insideLast &&
        (static_cast<uint64_t>(loopLength) << MixFractionBits) < ShortLoopFrames * increment * Format::Bytes;

    // A voice already past its end is silenced unmixed, looping or not.
    if (head.Offset > end) {
        Voice.Active = false;
        return 0;
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
        } else if constexpr (Walk == TVoiceWalk::Ramp) {
            MixFrameValues(VoiceFrameValues<Format>(Interpolation, Voice, head), FrameGains + 4 * done, Format::Stereo,
                           Left[done], Right[done]);
            Advance<Format>(head);
        } else if constexpr (ReadsTaps) {
            if (reads.Unrolls && reads.Played.Passed && head.Offset > Voice.LoopStart) {
                run = Frames - done;
                MixUnrolledLoop<Interpolation, Format>(reads.Played, reads.Loop, head, stretch, reads.Sinc,
                                                       gains.data(), Left + done, Right + done, run);
            } else if (head.Offset >= reads.StraightFirst && head.Offset <= reads.StraightLast) {
                run = FramesUpTo<Format>(head, reads.StraightLast, Frames - done);
                (run < ShortStretch ? &MixTapFrames<Interpolation, Format> : stretch)(
                    Voice.Data, dataLength, head, gains.data(), Left + done, Right + done, run, reads.Sinc);
            } else {
                MixPlayedFrame<Interpolation, Format>(reads.Played, head, reads.Sinc, gains.data(), Left[done],
                                                      Right[done]);
            }
        } else if (shortLoop && head.Offset >= Voice.LoopStart) {
            run = Frames - done;
            // Round the loop when the frames take it past the end (its wraps are the looped head's).
            TPlayHead through = head;
            AdvanceBy<Format>(through, run);
            Voice.LoopPassed = Voice.LoopPassed || through.Offset > end;
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
                stretch(Voice.Data, dataLength, head, gains.data(), Left + done, Right + done, run, nullptr);
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
            Voice.LoopPassed = true;
            if constexpr (ReadsTaps) {
                reads.Pass();
            }
        }
    }
    Voice.Position = static_cast<int32_t>(std::min<int64_t>(head.Offset, std::numeric_limits<int32_t>::max()));
    Voice.Fraction = static_cast<uint16_t>(head.Fraction);
    return done;
}

// The accumulators from frame K on; none while the walk only moves.
float* FromFrame(float* Accumulators, int32_t K)
{
    return Accumulators ? Accumulators + K : nullptr;
}

// Calls Body with the frame format (a TFrameFormat) of voice flags Flags.
template <class TBody> decltype(auto) InFormatOf(uint8_t Flags, TBody&& Body)
{
    const bool is16Bit = (Flags & VoiceFlag16Bit) != 0;
    const bool stereo = (Flags & VoiceFlagStereo) != 0;
    if (is16Bit && stereo) {
        return Body(TFrameFormat<true, true>{});
    }
    if (is16Bit) {
        return Body(TFrameFormat<true, false>{});
    }
    if (stereo) {
        return Body(TFrameFormat<false, true>{});
    }
    return Body(TFrameFormat<false, false>{});
}

// What a voice whose sample has ended last played: its value one increment
// before where its play head stopped (the step back undoes the last advance
// exactly), not the frame past its end.
template <class Format> TFrameValues LastValues(TInterpolation Interpolation, const TVoice& Voice, int32_t Rate)
{
    const uint64_t increment = IncrementOf(Voice.Frequency, Rate);
    const auto fraction = static_cast<uint32_t>(increment & MixFractionMask);
    const bool carried = Voice.Fraction < fraction;
    TPlayHead head{int64_t{Voice.Position} - static_cast<int64_t>(increment >> MixFractionBits) * Format::Bytes -
                       (carried ? Format::Bytes : 0),
                   (Voice.Fraction + (carried ? 1u << MixFractionBits : 0u)) - fraction,
                   static_cast<uint32_t>(increment >> MixFractionBits) * Format::Bytes, fraction, increment};
    return VoiceFrameValues<Format>(Interpolation, Voice, head);
}

// Where a voice ends with click removal: where it loops, as without; a voice
// that plays to its end stops after its last frame whose interpolation lies
// inside its sample, instead of playing on into the zeros behind it, and
// holds what it played there, fading out.
template <class Format> class TGlidingEnd {
public:
    explicit TGlidingEnd(TVoice& Voice) : Voice(Voice), EndOffset(Voice.EndOffset)
    {
        if (!LoopsOf(Voice)) {
            Voice.EndOffset = static_cast<int32_t>(
                std::max<int64_t>(int64_t{EndOffset} - Format::Bytes - 1, std::numeric_limits<int32_t>::min()));
        }
    }
    ~TGlidingEnd() { Voice.EndOffset = EndOffset; }
    TGlidingEnd(const TGlidingEnd&) = delete;
    TGlidingEnd& operator=(const TGlidingEnd&) = delete;

private:
    TVoice& Voice;
    int32_t EndOffset;
};

// One voice's tick with click removal: the frames of its gains' glide one by
// one, the rest as without; a one-shot sample that ends leaves its last
// values fading out from the gains they had.
template <class Format, TVoiceWalk Walk, TInterpolation Interpolation>
void WalkGlidingVoice(int V, TVoice& Voice, TVoiceRamps& Ramps, float* Left, float* Right, int32_t Frames,
                      const TMixKernels* Kernels, int32_t Rate)
{
    constexpr TVoiceWalk glide = Walk == TVoiceWalk::Mix ? TVoiceWalk::Ramp : TVoiceWalk::Move;
    const TGlidingEnd<Format> end(Voice);
    TGainRamp& ramp = Ramps.Voices[static_cast<size_t>(V)].Gains;
    int32_t played = 0;
    if (!ramp.IsSteady()) {
        const int32_t frames = std::min(Frames, ramp.FramesLeft());
        if constexpr (Walk == TVoiceWalk::Mix) {
            ramp.NextGains(frames, Ramps.FrameGains.data());
        }
        played =
            WalkVoice<Format, glide, Interpolation>(Voice, Left, Right, frames, Kernels, Rate, Ramps.FrameGains.data());
        ramp.Done += played;
    }
    if (Voice.Active && played < Frames) {
        played += WalkVoice<Format, Walk, Interpolation>(Voice, FromFrame(Left, played), FromFrame(Right, played),
                                                         Frames - played, Kernels, Rate);
    }
    if (!Voice.Active) {
        if (played > 0) {
            Ramps.Fade(V, Voice, ramp.Current(), LastValues<Format>(Interpolation, Voice, Rate), played, Rate);
        }
        ramp = TGainRamp{};
    }
}

// Voice V's old notes fading out over the tick: each one's frames one by one,
// playing on until its sample ends, then holding its last values.
template <TVoiceWalk Walk, TInterpolation Interpolation>
void WalkFadingNotes(int V, TVoiceRamps& Ramps, float* Left, float* Right, int32_t Frames, int32_t Rate)
{
    constexpr TVoiceWalk glide = Walk == TVoiceWalk::Mix ? TVoiceWalk::Ramp : TVoiceWalk::Move;
    float* gains = Ramps.FrameGains.data();
    for (TFadingNote& note : Ramps.Voices[static_cast<size_t>(V)].Fading) {
        if (!note.Sounding()) {
            continue;
        }
        const int32_t start = std::min(note.Delay, Frames);
        note.Delay = 0;
        const int32_t frames = std::min(Frames - start, note.Gains.FramesLeft());
        if constexpr (Walk == TVoiceWalk::Mix) {
            note.Gains.NextGains(frames, gains);
        }
        int32_t played = 0;
        if (note.Voice.Active && frames > 0) {
            InFormatOf(note.Voice.Flags, [&](auto Format) {
                using TFormat = decltype(Format);
                const TGlidingEnd<TFormat> end(note.Voice);
                played = WalkVoice<TFormat, glide, Interpolation>(
                    note.Voice, FromFrame(Left, start), FromFrame(Right, start), frames, nullptr, Rate, gains);
                if (!note.Voice.Active && played > 0) {
                    note.Held = LastValues<TFormat>(Interpolation, note.Voice, Rate);
                }
            });
        }
        if constexpr (Walk == TVoiceWalk::Mix) {
            const bool stereo = (note.Voice.Flags & VoiceFlagStereo) != 0;
            for (int32_t k = played; k < frames; ++k) {
                MixFrameValues(note.Held, gains + 4 * k, stereo, Left[start + k], Right[start + k]);
            }
        }
        note.Gains.Done += frames;
    }
}

// Walks every active voice below 32 over Frames frames at Rate in its frame
// format; a mix with the kernels of the process's code path, under Interpolation.
template <TVoiceWalk Walk, TInterpolation Interpolation = TInterpolation::Linear>
void WalkVoices(std::array<TVoice, VoiceCount>& Voices, float* Left, float* Right, int32_t Frames,
                const TMixKernels* Kernels, int32_t Rate)
{
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Voices[static_cast<size_t>(v)];
        if (voice.Active) {
            InFormatOf(voice.Flags, [&](auto Format) {
                WalkVoice<decltype(Format), Walk, Interpolation>(voice, Left, Right, Frames, Kernels, Rate);
            });
        }
    }
}

// The same with click removal: each voice's gains glide and its old notes fade out.
template <TVoiceWalk Walk, TInterpolation Interpolation = TInterpolation::Linear>
void WalkGlidingVoices(std::array<TVoice, VoiceCount>& Voices, TVoiceRamps& Ramps, float* Left, float* Right,
                       int32_t Frames, const TMixKernels* Kernels, int32_t Rate)
{
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Voices[static_cast<size_t>(v)];
        if (voice.Active) {
            InFormatOf(voice.Flags, [&](auto Format) {
                WalkGlidingVoice<decltype(Format), Walk, Interpolation>(v, voice, Ramps, Left, Right, Frames, Kernels,
                                                                        Rate);
            });
        }
        WalkFadingNotes<Walk, Interpolation>(v, Ramps, Left, Right, Frames, Rate);
    }
}

// Mixes every voice's tick under Interpolation, its gains gliding and its old
// notes fading out when click removal is on (Ramps, which is then made).
template <TInterpolation Interpolation>
void MixVoices(std::array<TVoice, VoiceCount>& Voices, TVoiceRamps* Ramps, const TSoundSettings& Sound, float* Left,
               float* Right, int32_t Frames, const TMixKernels& Kernels)
{
    if (Sound.ClickRemoval) {
        WalkGlidingVoices<TVoiceWalk::Mix, Interpolation>(Voices, *Ramps, Left, Right, Frames, &Kernels, Sound.Rate);
    } else {
        WalkVoices<TVoiceWalk::Mix, Interpolation>(Voices, Left, Right, Frames, &Kernels, Sound.Rate);
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
    const int32_t songFrames = TickSongFrames(BlockBytes);
    const int64_t start = ElapsedFrames;
    ElapsedFrames += songFrames;
    if (Rate == OutputRate) {
        return songFrames;  // what the difference comes to, without two divisions a tick
    }
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
    const TSoundSettings sound = SoundInForce();
    const int32_t frames = NextTickFrames(sound.Rate);
    if (sound.ClickRemoval) {
        WalkGlidingVoices<TVoiceWalk::Move>(Voices, *Ramps, nullptr, nullptr, frames, nullptr, sound.Rate);
    } else {
        WalkVoices<TVoiceWalk::Move>(Voices, nullptr, nullptr, frames, nullptr, sound.Rate);
    }
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
    switch (sound.Interpolation) {
    case TInterpolation::None:
        MixVoices<TInterpolation::None>(Voices, Ramps.get(), sound, left, right, frames, kernels);
        break;
    case TInterpolation::Cubic:
        MixVoices<TInterpolation::Cubic>(Voices, Ramps.get(), sound, left, right, frames, kernels);
        break;
    case TInterpolation::Sinc:
        MixVoices<TInterpolation::Sinc>(Voices, Ramps.get(), sound, left, right, frames, kernels);
        break;
    default:
        MixVoices<TInterpolation::Linear>(Voices, Ramps.get(), sound, left, right, frames, kernels);
        break;
    }
    if (sound.Separation != 100) {
        SeparateStereo(left, right, frames, sound.Separation);
    }
    kernels.Convert(left, right, TickBuffer.data(), frames);
    return frames * OutputBytesPerFrame;
}
