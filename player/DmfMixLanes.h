#pragma once
// A voice mixed several output frames at a time, one frame per lane of a
// vector, and a tick's accumulators converted to PCM as many at a time. Each
// lane does exactly the operations of the plain frame (DmfMixFrame.h) in the same
// order, so every width gives the plain path's bits.
//
// The code is written once for any width and takes its vectors from a lane
// set (TSse2Lanes, TAvx2Lanes) that each path defines in its own source: a
// path for wider registers includes this header after it has switched its
// code to them (and after the headers it needs), and gets these templates
// built for them, private to that source through its lane set. (No lambdas
// here: they would not be built for the wider registers.)
//
// A lane set gives:
//   Count                  lanes per vector: output frames mixed at a time
//   TFloats, TInts, TWords vectors of Count floats, 32-bit signed and
//                          unsigned integers
//   Words(Base, Rel)       the 32-bit word at Base + Rel[i] in lane i
//   AtLeast(V, Low),       V < Low ? Low : V and V > High ? High : V, lane
//   AtMost(V, High)        by lane (a maximum and a minimum, no blends)
//   Interleave(L, R, Pcm)  stores Count frames' left and right samples L
//                          and R (16-bit values in 32-bit lanes) as Pcm's
//                          little-endian left, right pairs
//   Windows                true when it also gives the six below, which take
//                          a group's words from one or a few whole loads
//                          instead of one load per lane, for increments short
//                          enough:
//   ByteControl(Rel)       where each lane's word lies in its half's window
//   ByteWords(Low, High, Control)  those words, from the 16-byte windows at
//                          Low (the low half's frames) and High (the high
//                          half's)
//   OneByteControl(Rel),   the same from one 16-byte window at Window for
//   OneByteWords(Window, Control)  all lanes
//   FrameWords(Frames, Index)  the 32-bit frames Index[i] (0..15) of the 64
//                          bytes at Frames
//   OneFrameWords(Frames, Index)  the frames Index[i] (0..Count-1) of the
//                          Count frames at Frames
//
// The sinc's kernels, whose lanes hold a frame's taps rather than frames, are
// DmfMixSincLanes.h's.

#include <utility>

#include "player/DmfMixSincLanes.h"

// How the words of a group of frames are loaded.
enum class TGroupLoad {
    Lanes,           // each lane its own
    OneByteWindow,   // cut from one 16-byte window
    ByteWindows,     // cut from a 16-byte window per half of the lanes
    OneFrameWindow,  // 16-bit stereo: whole frames picked from Count frames
    FrameWindows,    // 16-bit stereo: whole frames picked from 64 bytes
};

// The words of a group of frames, each lane's own load at Base + Rel.
template <class Lanes> struct TLaneLoads {
    const uint8_t* Base;
    typename Lanes::TWords Rel;

    typename Lanes::TInts At(uint32_t Skip) const { return Lanes::Words(Base + Skip, Rel); }
};

// The words of a group of frames cut from the 16-byte windows at Low and High.
template <class Lanes> struct TByteWindows {
    const uint8_t* Low;
    const uint8_t* High;
    typename Lanes::TInts Control;

    typename Lanes::TInts At(uint32_t Skip) const { return Lanes::ByteWords(Low + Skip, High + Skip, Control); }
};

// The words of a group of frames cut from the one 16-byte window at Window.
template <class Lanes> struct TOneByteWindow {
    const uint8_t* Window;
    typename Lanes::TInts Control;

    typename Lanes::TInts At(uint32_t Skip) const { return Lanes::OneByteWords(Window + Skip, Control); }
};

// The words of a group of 16-bit stereo frames (one word each) picked from
// the frames at Base, the Count of one load (OneFrameWindow) or the 16 of 64
// bytes (FrameWindows): frame Index[i], or the next one.
template <class Lanes, TGroupLoad Load> struct TFrameWindow {
    const uint8_t* Base;
    typename Lanes::TWords Index;

    typename Lanes::TInts At(uint32_t Skip) const
    {
        if constexpr (Load == TGroupLoad::OneFrameWindow) {
            return Lanes::OneFrameWords(Base, Index + Skip / 4);
        } else {
            return Lanes::FrameWords(Base, Index + Skip / 4);
        }
    }
};

// The values of Count frames' taps, one frame per lane: Left[i] and Right[i]
// the channels (left or only, a stereo frame's right) of each frame's tap i,
// Frames taps from its first on (DmfMixTaps.h; linear's: the frame and the
// next one). The taps' bytes are loaded as 32-bit words (Words.At(0),
// Words.At(4), ...) and the values cut out by shifts, which keeps the sign.
template <class Lanes, int Frames> struct TLaneColumns {
    typename Lanes::TFloats Left[Frames], Right[Frames];
};

template <class Lanes> inline typename Lanes::TFloats LaneFloats(typename Lanes::TInts Values)
{
    return __builtin_convertvector(Values, typename Lanes::TFloats);
}

// The value at byte At (0..3) of each lane's word, as TFrameFormat::Value
// reads it: a 16-bit value from its half; an 8-bit value moved to the top
// byte of the high half, the byte below it cleared, counts 256 times.
template <class Lanes, class Format, int At> inline typename Lanes::TFloats WordValues(typename Lanes::TInts Word)
{
    using TInts = typename Lanes::TInts;
    const TInts lowByteOff = TInts{} + ~0xFF;
    if constexpr (Format::Sixteen) {
        return LaneFloats<Lanes>(At == 0 ? (Word << 16) >> 16 : Word >> 16);
    } else if constexpr (At == 0) {
        return LaneFloats<Lanes>((Word << 24) >> 16);
    } else if constexpr (At == 1) {
        return LaneFloats<Lanes>(((Word << 16) >> 16) & lowByteOff);
    } else if constexpr (At == 2) {
        return LaneFloats<Lanes>(((Word << 8) >> 16) & lowByteOff);
    } else {
        return LaneFloats<Lanes>((Word >> 16) & lowByteOff);
    }
}

// Words of a lane that Frames taps span.
template <class Format, int Frames> inline constexpr int TapWords = (Frames * Format::Bytes + 3) / 4;

template <class Lanes, class Format, int Frames, int... Taps>
inline void FillColumns(const typename Lanes::TInts* Words, TLaneColumns<Lanes, Frames>& C,
                        std::integer_sequence<int, Taps...>)
{
    constexpr int ValueBytes = Format::Sixteen ? 2 : 1;
    ((C.Left[Taps] = WordValues<Lanes, Format, Taps * Format::Bytes % 4>(Words[Taps * Format::Bytes / 4])), ...);
    if constexpr (Format::Stereo) {
        ((C.Right[Taps] = WordValues<Lanes, Format, (Taps * Format::Bytes + ValueBytes) % 4>(
              Words[(Taps * Format::Bytes + ValueBytes) / 4])),
         ...);
    }
}

template <class Lanes, class Format, int Frames, class TWordsFrom>
inline TLaneColumns<Lanes, Frames> LaneColumns(const TWordsFrom& Words)
{
    typename Lanes::TInts words[TapWords<Format, Frames>];
    for (int w = 0; w < TapWords<Format, Frames>; ++w) {
        words[w] = Words.At(static_cast<uint32_t>(4 * w));
    }
    TLaneColumns<Lanes, Frames> c{};
    FillColumns<Lanes, Format, Frames>(words, c, std::make_integer_sequence<int, Frames>{});
    return c;
}

// The taps an interpolation of a frame's lane reads: before the head's frame,
// and in all.
template <TInterpolation Interpolation> inline constexpr int LaneTapsBefore = Interpolation == TInterpolation::Cubic;
template <TInterpolation Interpolation> inline constexpr int LaneTaps = Interpolation == TInterpolation::Cubic ? 4 : 2;

// The values (left or only, right) of a group's frames under Interpolation
// (none, linear or cubic) from their taps C, lane i's head the low 16 bits of
// Fractions[i] past its frame: the frame's arithmetic (DmfMixTaps.h's
// TapValues, linear's MixFrame) in every lane.
template <class Lanes, TInterpolation Interpolation, class Format>
inline void LaneValues(const TLaneColumns<Lanes, LaneTaps<Interpolation>>& C, typename Lanes::TWords Fractions,
                       typename Lanes::TFloats& Left, typename Lanes::TFloats& Right)
{
    using TFloats = typename Lanes::TFloats;
    using TInts = typename Lanes::TInts;
    const typename Lanes::TWords fractions = Fractions & MixFractionMask;
    if constexpr (Interpolation == TInterpolation::None) {
        const auto next = fractions >= (1u << (MixFractionBits - 1));
        Left = next ? C.Left[1] : C.Left[0];
        Right = next ? C.Right[1] : C.Right[0];
    } else {
        const TFloats w = __builtin_convertvector(reinterpret_cast<TInts>(fractions), TFloats) * MixWeightScale;
        if constexpr (Interpolation == TInterpolation::Linear) {
            const TFloats keep = 1.0f - w;
            Left = C.Left[0] * keep + C.Left[1] * w;
            if constexpr (Format::Stereo) {
                Right = C.Right[0] * keep + C.Right[1] * w;
            }
        } else {
            TFloats weights[4];
            CatmullRomWeights(w, weights);
            CatmullRom(weights, C.Left[0], C.Left[1], C.Left[2], C.Left[3], Left);
            if constexpr (Format::Stereo) {
                CatmullRom(weights, C.Right[0], C.Right[1], C.Right[2], C.Right[3], Right);
            }
        }
    }
}

// A voice's gains in every lane, and the frame's last step (AddFrameValues)
// that adds a group's values to the accumulators with them.
template <class Lanes> struct TLaneGains {
    using TFloats = typename Lanes::TFloats;

    TFloats ToLeft, ToRight, RightToLeft, RightToRight;

    explicit TLaneGains(const float* Gains)
        : ToLeft(TFloats{} + Gains[0]),
          ToRight(TFloats{} + Gains[1]),
          RightToLeft(TFloats{} + Gains[2]),
          RightToRight(TFloats{} + Gains[3])
    {
    }

    // Adds the group's values (left or only, right), a frame per lane, to
    // Left[0..Count-1] and Right[...].
    template <class Format> void Add(TFloats LeftValues, TFloats RightValues, float* Left, float* Right) const
    {
        TFloats leftSums, rightSums;
        std::memcpy(&leftSums, Left, sizeof leftSums);
        std::memcpy(&rightSums, Right, sizeof rightSums);
        leftSums += LeftValues * ToLeft;
        rightSums += LeftValues * ToRight;
        if constexpr (Format::Stereo) {
            leftSums += RightValues * RightToLeft;
            rightSums += RightValues * RightToRight;
        }
        std::memcpy(Left, &leftSums, sizeof leftSums);
        std::memcpy(Right, &rightSums, sizeof rightSums);
    }

    // Adds the group's frames under Interpolation from their taps C.
    template <TInterpolation Interpolation, class Format>
    void Add(const TLaneColumns<Lanes, LaneTaps<Interpolation>>& C, typename Lanes::TWords Fractions, float* Left,
             float* Right) const
    {
        TFloats left, right{};
        LaneValues<Lanes, Interpolation, Format>(C, Fractions, left, right);
        Add<Format>(left, right, Left, Right);
    }
};

// The most frames the frame of lane Lanes from a group's first frame can lie
// from it: whole increments and the carries of their fractions.
inline uint32_t FramesSpanned(const TPlayHead& Head, uint32_t Lanes, int BytesShift)
{
    const uint32_t carries = (MixFractionMask + Lanes * Head.IncrementFraction) >> MixFractionBits;
    return Lanes * (Head.IncrementBytes >> BytesShift) + carries;
}

// How a stretch of this increment loads its groups' words, Taps frames from
// each frame's first tap on: from windows where a group's taps lie close
// enough together.
template <class Lanes, class Format, int Taps> TGroupLoad GroupLoadFor(const TPlayHead& Head)
{
    if constexpr (Lanes::Windows) {
        if constexpr (Format::Sixteen && Format::Stereo) {
            // The last lane's last tap among the frames of the window(s).
            const uint32_t lastTap = FramesSpanned(Head, Lanes::Count - 1, Format::BytesShift) + (Taps - 1);
            if (lastTap < Lanes::Count) {
                return TGroupLoad::OneFrameWindow;
            }
            if (lastTap < 16) {
                return TGroupLoad::FrameWindows;
            }
        } else {
            // The last word (each half's) within the 16-byte window (the
            // half's): each word of a lane's taps is cut from a window of its own.
            if (FramesSpanned(Head, Lanes::Count - 1, Format::BytesShift) * Format::Bytes + 4 <= 16) {
                return TGroupLoad::OneByteWindow;
            }
            if (FramesSpanned(Head, Lanes::Count / 2 - 1, Format::BytesShift) * Format::Bytes + 4 <= 16) {
                return TGroupLoad::ByteWindows;
            }
        }
    }
    return TGroupLoad::Lanes;
}

// Mixes Groups groups of Count frames from Head on (Head itself is not
// moved) under Interpolation (none, linear or cubic), their words loaded as
// Load says; a group whose windows would reach past the DataLength bytes of
// the allocation loads lane by lane.
template <class Lanes, class Format, TGroupLoad Load, TInterpolation Interpolation>
void MixGroups(const uint8_t* Data, int32_t DataLength, const TPlayHead& Head, const float* Gains, float* Left,
               float* Right, int32_t Groups)
{
    using TWords = typename Lanes::TWords;
    constexpr uint32_t Count = Lanes::Count;
    constexpr uint32_t Half = Count / 2;
    constexpr int Shift = Format::BytesShift;
    constexpr int Taps = LaneTaps<Interpolation>;
    constexpr uint32_t Before = LaneTapsBefore<Interpolation> * Format::Bytes;
    // The last word's window starts this far past the first's.
    constexpr int64_t LastWord = 4 * (TapWords<Format, Taps> - 1);
    // The increment in locals: the stores to the accumulators could otherwise be Head's.
    const uint32_t incrementBytes = Head.IncrementBytes;
    const uint32_t incrementFraction = Head.IncrementFraction;
    // Lane i mixes the group's frame i: i whole increments and the carries of
    // their i fractions from the group's first frame.
    TWords lane;
    LaneNumbers(lane);
    const TWords laneFractions = lane * incrementFraction;
    const TWords laneFrames = lane * (incrementBytes >> Shift);
    const TLaneGains<Lanes> gains(Gains);
    // The last offset of a group's first tap whose windows lie inside the
    // allocation (the high half's window starts at most Half frames further).
    const int64_t windowsLast =
        Load == TGroupLoad::FrameWindows     ? int64_t{DataLength} - 64
        : Load == TGroupLoad::OneFrameWindow ? int64_t{DataLength} - 4 * int64_t{Count}
        : Load == TGroupLoad::OneByteWindow
            ? int64_t{DataLength} - 16 - LastWord
            : int64_t{DataLength} - 16 - LastWord - (int64_t{Half} * incrementBytes + (Half << Shift));
    uint32_t offset = static_cast<uint32_t>(Head.Offset) - Before;
    uint32_t fraction = Head.Fraction;
    for (int32_t g = 0; g < Groups; ++g, Left += Count, Right += Count) {
        const TWords fractions = fraction + laneFractions;
        const TWords frames = laneFrames + (fractions >> MixFractionBits);
        const TWords rel = frames << Shift;
        const uint8_t* base = Data + offset;
        TLaneColumns<Lanes, Taps> c;
        if (Load == TGroupLoad::Lanes || offset > windowsLast) {
            c = LaneColumns<Lanes, Format, Taps>(TLaneLoads<Lanes>{base, rel});
        } else if constexpr (Load == TGroupLoad::OneByteWindow) {
            c = LaneColumns<Lanes, Format, Taps>(TOneByteWindow<Lanes>{base, Lanes::OneByteControl(rel)});
        } else if constexpr (Load == TGroupLoad::ByteWindows) {
            const uint32_t high =
                Half * incrementBytes + (((fraction + Half * incrementFraction) >> MixFractionBits) << Shift);
            c = LaneColumns<Lanes, Format, Taps>(TByteWindows<Lanes>{base, base + high, Lanes::ByteControl(rel)});
        } else if constexpr (Load == TGroupLoad::OneFrameWindow || Load == TGroupLoad::FrameWindows) {
            c = LaneColumns<Lanes, Format, Taps>(TFrameWindow<Lanes, Load>{base, frames});
        }
        gains.template Add<Interpolation, Format>(c, fractions, Left, Right);
        fraction += Count * incrementFraction;
        offset += Count * incrementBytes + ((fraction >> MixFractionBits) << Shift);
        fraction &= MixFractionMask;
    }
}

// Mixes Frames frames under Interpolation (none, linear or cubic) from Head
// on whose taps all lie inside the sample's allocation (TTapSpan::Bytes from
// each frame's first tap within DataLength) and read straight, Count at a
// time and the rest one by one, and moves Head past them. The offsets fit 31
// bits there.
template <class Lanes, class Format, TInterpolation Interpolation = TInterpolation::Linear>
void MixLanes(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float* Left, float* Right,
              int32_t Frames, const TSincKernel* Sinc = nullptr)
{
    const int32_t groups = Frames / Lanes::Count;
    if (groups > 0) {
        constexpr bool Bytes = Lanes::Windows && !(Format::Sixteen && Format::Stereo);
        constexpr bool Stereo16 = Lanes::Windows && Format::Sixteen && Format::Stereo;
        switch (GroupLoadFor<Lanes, Format, LaneTaps<Interpolation>>(Head)) {
        case TGroupLoad::Lanes:
            MixGroups<Lanes, Format, TGroupLoad::Lanes, Interpolation>(Data, DataLength, Head, Gains, Left, Right,
                                                                       groups);
            break;
        case TGroupLoad::OneByteWindow:
            if constexpr (Bytes) {
                MixGroups<Lanes, Format, TGroupLoad::OneByteWindow, Interpolation>(Data, DataLength, Head, Gains, Left,
                                                                                   Right, groups);
            }
            break;
        case TGroupLoad::ByteWindows:
            if constexpr (Bytes) {
                MixGroups<Lanes, Format, TGroupLoad::ByteWindows, Interpolation>(Data, DataLength, Head, Gains, Left,
                                                                                 Right, groups);
            }
            break;
        case TGroupLoad::OneFrameWindow:
            if constexpr (Stereo16) {
                MixGroups<Lanes, Format, TGroupLoad::OneFrameWindow, Interpolation>(Data, DataLength, Head, Gains, Left,
                                                                                    Right, groups);
            }
            break;
        case TGroupLoad::FrameWindows:
            if constexpr (Stereo16) {
                MixGroups<Lanes, Format, TGroupLoad::FrameWindows, Interpolation>(Data, DataLength, Head, Gains, Left,
                                                                                  Right, groups);
            }
            break;
        }
        AdvanceBy<Format>(Head, groups * Lanes::Count);
    }
    const int32_t mixed = groups * Lanes::Count;
    if constexpr (Interpolation == TInterpolation::Linear) {
        MixFrames<Format>(Data, DataLength, Head, Gains, Left + mixed, Right + mixed, Frames - mixed);
    } else {
        MixTapFrames<Interpolation, Format>(Data, DataLength, Head, Gains, Left + mixed, Right + mixed, Frames - mixed,
                                            Sinc);
    }
}

// Mixes Frames frames from a head inside a short loop (TLoopedHead), Count
// at a time and the rest one by one, and moves Head past them. The first
// group's lanes take the head's own advances; from then on each lane moves
// on by Count increments at once: its place in the loop by their move (one
// carry more where its fraction carries), taken back by the loop's length
// once it reaches it. A head on the loop's start (only before its first
// advance) has no place: it goes frame by frame until it leaves it.
template <class Lanes, class Format>
void MixLoopedLanes(const uint8_t* Data, TLoopedHead& Head, const float* Gains, float* Left, float* Right,
                    int32_t Frames)
{
    using TInts = typename Lanes::TInts;
    using TWords = typename Lanes::TWords;
    constexpr uint32_t Count = Lanes::Count;
    TLoopedHead head = Head;
    const uint32_t first = head.End - head.Length + 1;
    int32_t k = 0;
    for (; k < Frames && head.Offset < first; ++k) {
        MixLoopedFrames<Format>(Data, head, Gains, Left + k, Right + k, 1);
    }
    if (Frames - k >= static_cast<int32_t>(Count)) {
        const TLaneGains<Lanes> gains(Gains);
        const uint32_t groupFractions = Count * head.IncrementFraction;
        const uint32_t groupFraction = groupFractions & MixFractionMask;
        const uint32_t groupCarries = groupFractions >> MixFractionBits;
        const uint32_t move = head.MoveOf(Count, groupCarries);
        const uint32_t carryMove = head.MoveOf(Count, groupCarries + 1) - move;  // modulo 2^32
        const TInts length = TInts{} + static_cast<int32_t>(head.Length);
        TWords places, fractions;
        for (uint32_t i = 0; i < Count; ++i) {
            places[i] = head.Offset - first;
            fractions[i] = head.Fraction;
            head.Advance();
        }
        for (; k + static_cast<int32_t>(Count) <= Frames; k += Count) {
            gains.template Add<TInterpolation::Linear, Format>(
                LaneColumns<Lanes, Format, 2>(TLaneLoads<Lanes>{Data + first, places}), fractions, Left + k, Right + k);
            const TWords sums = fractions + groupFraction;
            fractions = sums & MixFractionMask;
            places += move + (reinterpret_cast<TWords>(-reinterpret_cast<TInts>(sums >> MixFractionBits)) & carryMove);
            // Places and moves stay below the length, far below 2^31.
            places -= reinterpret_cast<TWords>((reinterpret_cast<TInts>(places) >= length) & length);
        }
        head.Offset = first + places[0];
        head.Fraction = fractions[0];
    }
    MixLoopedFrames<Format>(Data, head, Gains, Left + k, Right + k, Frames - k);
    Head = head;
}

// The 16-bit samples of Count accumulators, as MixSample gives them.
template <class Lanes> inline typename Lanes::TInts LaneSamples(typename Lanes::TFloats Sums)
{
    using TFloats = typename Lanes::TFloats;
    const TFloats rounded = (Sums + MixRoundingBias) - MixRoundingBias;
    const TFloats held = Lanes::AtMost(Lanes::AtLeast(rounded, TFloats{} + MixOutputLow), TFloats{} + MixOutputHigh);
    return __builtin_convertvector(held, typename Lanes::TInts) >> 2;
}

// Converts Frames frames of accumulators to 16-bit little-endian PCM as
// ConvertFrames does, Count frames at a time and the rest one by one.
template <class Lanes> void ConvertLanes(const float* Left, const float* Right, uint8_t* Pcm, int32_t Frames)
{
    using TFloats = typename Lanes::TFloats;
    int32_t k = 0;
    for (; k + Lanes::Count <= Frames; k += Lanes::Count) {
        TFloats left, right;
        std::memcpy(&left, Left + k, sizeof left);
        std::memcpy(&right, Right + k, sizeof right);
        Lanes::Interleave(LaneSamples<Lanes>(left), LaneSamples<Lanes>(right), Pcm + 4 * k);
    }
    ConvertFrames(Left + k, Right + k, Pcm + 4 * k, Frames - k);
}

// A path's stretches of one interpolation (none, linear or cubic) in every frame format.
template <class Lanes, TInterpolation Interpolation>
constexpr TMixStretches LaneStretches = {&MixLanes<Lanes, TFrameFormat<false, false>, Interpolation>,
                                         &MixLanes<Lanes, TFrameFormat<false, true>, Interpolation>,
                                         &MixLanes<Lanes, TFrameFormat<true, false>, Interpolation>,
                                         &MixLanes<Lanes, TFrameFormat<true, true>, Interpolation>};

// A path's kernels, its lane set's templates under every interpolation in
// every frame format.
template <class Lanes>
constexpr TMixKernels LaneKernels = {
    {LaneStretches<Lanes, TInterpolation::None>,
     LaneStretches<Lanes, TInterpolation::Linear>,
     LaneStretches<Lanes, TInterpolation::Cubic>,
     {&MixSincLanes<Lanes, TFrameFormat<false, false>>, &MixSincLanes<Lanes, TFrameFormat<false, true>>,
      &MixSincLanes<Lanes, TFrameFormat<true, false>>, &MixSincLanes<Lanes, TFrameFormat<true, true>>}},
    {&MixLoopedLanes<Lanes, TFrameFormat<false, false>>, &MixLoopedLanes<Lanes, TFrameFormat<false, true>>,
     &MixLoopedLanes<Lanes, TFrameFormat<true, false>>, &MixLoopedLanes<Lanes, TFrameFormat<true, true>>},
    &ConvertLanes<Lanes>};
