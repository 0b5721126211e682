#pragma once
// The frames a voice plays around its play head, as the interpolations
// beside linear read them (DmfMixTaps.h): the taps of a head read what the
// voice plays before and after it, not the bytes that lie there.
//
// A looping voice plays its frame at the end offset, then goes back by the
// loop's length (the frame after the end plays as LoopStart + one frame), so
// a tap past the end reads the loop's frames from its start on; a tap at or
// before LoopStart reads the loop's last frames once the voice has gone round
// its loop (TVoice::LoopPassed), and before its first pass the data as it
// lies, which is what played. A voice that does not loop reads the data as it
// lies, the zeros behind its PCM past its end; every byte outside the
// sample's allocation reads as 0. (Linear keeps its own read: the frame after
// the end as it lies, also at a loop's end.)
//
// Where a head's taps all lie inside the allocation and read straight (no
// loop turns between them), the kernels read them from the sample itself
// (TPlayedFrames::StraightFirst..StraightLast); elsewhere the walk gathers
// the frames played into a buffer and runs the frame's arithmetic on it, and
// a voice going round a loop many times a tick has the loop unrolled into a
// buffer once (MixUnrolledLoop), so that a loop shorter than a kernel is no
// slower than a long one.

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "player/DmfMixFrame.h"
#include "player/DmfMixKernels.h"
#include "player/DmfMixTaps.h"
#include "player/DmfVoice.h"

// A voice's sample and loop as its taps read them.
struct TPlayedFrames {
    const uint8_t* Data;
    int64_t DataLength;  // bytes readable from Data
    bool Loops;          // a loop the walk takes (DmfMixer.cpp's WalkVoice)
    int64_t LoopStart;
    int64_t End;
    int64_t LoopLength;  // End - LoopStart when it loops
    bool Passed;         // the voice has gone round its loop

    // ReadsLoop false: the data as it lies, loop or not (linear's read).
    TPlayedFrames(const TVoice& Voice, bool ReadsLoop)
        : Data(Voice.Data),
          DataLength(Voice.Data ? std::max(Voice.DataLength, 0) : 0),
          Loops(ReadsLoop && Voice.Looping && Voice.LoopStart >= 0 && Voice.EndOffset > Voice.LoopStart),
          LoopStart(Voice.LoopStart),
          End(Voice.EndOffset),
          LoopLength(int64_t{Voice.EndOffset} - Voice.LoopStart),
          Passed(Voice.LoopPassed)
    {
    }

    // Where the frame played at Offset lies in the sample.
    int64_t Played(int64_t Offset) const
    {
        if (!Loops) {
            return Offset;
        }
        if (Offset > End) {
            return Offset - LoopLength * ((Offset - End + LoopLength - 1) / LoopLength);
        }
        if (Passed && Offset <= LoopStart) {
            return Offset + LoopLength * ((LoopStart - Offset) / LoopLength + 1);
        }
        return Offset;
    }

    // Copies the Frames frames played from Offset on, one after the other, to To.
    template <class Format> void Gather(int64_t Offset, int32_t Frames, uint8_t* To) const
    {
        for (int32_t i = 0; i < Frames; ++i, Offset += Format::Bytes, To += Format::Bytes) {
            const int64_t at = Played(Offset);
            for (int b = 0; b < Format::Bytes; ++b) {
                To[b] = at + b >= 0 && at + b < DataLength ? Data[at + b] : 0;
            }
        }
    }

    // The first and the last offset of a head whose taps (Span) the kernels
    // may read straight from the sample: inside the allocation, no loop
    // turning between them, the head itself at or before the end.
    template <class Format> int64_t StraightFirst(TTapSpan Span) const
    {
        return (Loops && Passed ? LoopStart + 1 : 0) + int64_t{Span.Before} * Format::Bytes;
    }
    template <class Format> int64_t StraightLast(TTapSpan Span) const
    {
        int64_t last = std::min(End, DataLength - Span.Bytes<Format>() + int64_t{Span.Before} * Format::Bytes);
        if (Loops) {
            last = std::min(last, End - int64_t{Span.Frames - 1 - Span.Before} * Format::Bytes);
        }
        return last;
    }
};

// The values (left or only, right) of the frame at Head under Interpolation,
// read from the frames played around it.
template <TInterpolation Interpolation, class Format>
void PlayedValues(const TPlayedFrames& Played, const TPlayHead& Head, const TSincKernel* Sinc, float& Left,
                  float& Right)
{
    const TTapSpan span = TapSpanOf(Interpolation, Sinc);
    uint8_t taps[SincMostTaps * 4];
    Played.Gather<Format>(Head.Offset - int64_t{span.Before} * Format::Bytes, span.Frames, taps);
    TapValues<Interpolation, Format>(taps, Head.Fraction, Sinc, Left, Right);
}

// Mixes the one frame at Head from the frames played around it and moves
// Head on by one increment.
template <TInterpolation Interpolation, class Format>
void MixPlayedFrame(const TPlayedFrames& Played, TPlayHead& Head, const TSincKernel* Sinc, const float* Gains,
                    float& Left, float& Right)
{
    float left, right;
    PlayedValues<Interpolation, Format>(Played, Head, Sinc, left, right);
    AddFrameValues<Format>(left, right, Gains, Left, Right);
    Advance<Format>(Head);
}

// Bytes of the buffer a loop is unrolled into.
inline constexpr int32_t UnrolledLoopBytes = 4096;

// A looping voice's frames from a head of the loop on, unrolled into a buffer
// for the kernels to read straight: once the voice has gone round its loop
// what it plays repeats every loop length, and so every Period bytes (the
// loop's length and a frame's both divide it) with its frames where the
// head's lie. An increment moves a head on the buffer by its whole frames
// modulo the period (Move), which lands it where the whole increment lands
// it in the loop.
template <class Format> struct TUnrolledLoop {
    int64_t Period;
    uint32_t Move;
    int32_t SpanBytes;
    int64_t Bytes;  // how much of the buffer the frames of a tick need

    TUnrolledLoop(const TPlayedFrames& Played, const TPlayHead& Head, TTapSpan Span, int32_t Frames)
        : Period(Played.Loops ? std::lcm(Played.LoopLength, int64_t{Format::Bytes}) : int64_t{Format::Bytes}),
          Move(static_cast<uint32_t>(Head.IncrementBytes % Period)),
          SpanBytes(Span.Bytes<Format>()),
          Bytes(std::min<int64_t>(UnrolledLoopBytes / Format::Bytes * Format::Bytes,
                                  SpanBytes + Period + int64_t{Frames} * (Move + Format::Bytes)))
    {
    }

    // The buffer pays for its filling when the voice goes round its loop at
    // least twice in the tick, and holds the taps of 32 frames or more
    // beyond one period.
    bool Pays(const TPlayHead& Head, int32_t Frames) const
    {
        const uint64_t tickMove = uint64_t{static_cast<uint32_t>(Frames)} * Head.Increment;
        return (tickMove >> MixFractionBits) * Format::Bytes >= 2 * static_cast<uint64_t>(Period) &&
               SpanBytes + Period + 32 * int64_t{Move + Format::Bytes} <= UnrolledLoopBytes;
    }
};

// Mixes Frames frames of a voice that has gone round its loop, from Head (in
// the loop) on, reading its taps from the loop unrolled (TUnrolledLoop), each
// stretch with Stretch, and leaves Head where the walk's wraps would.
template <TInterpolation Interpolation, class Format>
void MixUnrolledLoop(const TPlayedFrames& Played, const TUnrolledLoop<Format>& Loop, TPlayHead& Head,
                     TMixStretch Stretch, const TSincKernel* Sinc, const float* Gains, float* Left, float* Right,
                     int32_t Frames)
{
    const TTapSpan span = TapSpanOf(Interpolation, Sinc);
    const int64_t before = int64_t{span.Before} * Format::Bytes;
    const int64_t base = Head.Offset - before;
    uint8_t frames[UnrolledLoopBytes];
    const int64_t bytes = Loop.Bytes;
    // One period gathered, the rest a period further each time.
    Played.Gather<Format>(base, static_cast<int32_t>(std::min(Loop.Period, bytes) / Format::Bytes), frames);
    for (int64_t at = Loop.Period; at < bytes; at += Loop.Period) {
        std::copy_n(frames, std::min(Loop.Period, bytes - at), frames + at);
    }
    TPlayHead head{before, Head.Fraction, Loop.Move, Head.IncrementFraction,
                   (uint64_t{Loop.Move >> Format::BytesShift} << MixFractionBits) + Head.IncrementFraction};
    const int64_t last = bytes - Loop.SpanBytes + before;
    for (int32_t done = 0; done < Frames;) {
        const int32_t run = FramesUpTo<Format>(head, last, Frames - done);
        Stretch(frames, static_cast<int32_t>(bytes), head, Gains, Left + done, Right + done, run, Sinc);
        done += run;
        head.Offset -= Loop.Period * ((head.Offset - before) / Loop.Period);
    }
    const int64_t offset = base + head.Offset;
    Head.Offset = Played.LoopStart + 1 + (offset - Played.LoopStart - 1) % Played.LoopLength;
    Head.Fraction = head.Fraction;
}

// What the walk of a voice under an interpolation beside linear reads its
// taps by: the frames played, the voice's sinc kernel (null for the others),
// its span, the offsets of a head whose taps read straight from the sample,
// and whether its loop is unrolled (a voice going round its loop at least
// twice a tick).
template <class Format> struct TTapReads {
    TPlayedFrames Played;
    const TSincKernel* Sinc;
    TTapSpan Span;
    int64_t StraightFirst;
    int64_t StraightLast;
    TUnrolledLoop<Format> Loop;
    bool Unrolls;

    TTapReads(const TVoice& Voice, TInterpolation Interpolation, const TPlayHead& Head, int32_t Frames)
        : Played(Voice, true),
          Sinc(Interpolation == TInterpolation::Sinc ? &SincKernelFor(Head.Increment) : nullptr),
          Span(TapSpanOf(Interpolation, Sinc)),
          StraightFirst(Played.StraightFirst<Format>(Span)),
          StraightLast(Played.StraightLast<Format>(Span)),
          Loop(Played, Head, Span, Frames),
          Unrolls(Played.Loops && Loop.Pays(Head, Frames))
    {
    }

    // The head has gone round the loop: the taps before it read its last frames.
    void Pass()
    {
        Played.Passed = true;
        StraightFirst = Played.StraightFirst<Format>(Span);
    }
};
