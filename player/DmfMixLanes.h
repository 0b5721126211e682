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

// The values of Count frames and the frames after them, one frame per lane:
// LeftA and LeftB of the left (or only) channel, RightA and RightB of a
// stereo right channel. The bytes of a frame and the next are loaded as
// 32-bit words (Words.At(0), and Words.At(4) for a 16-bit stereo frame's
// next one) and the values cut out by shifts, which keeps the sign.
template <class Lanes> struct TLaneColumns {
    typename Lanes::TFloats LeftA, LeftB, RightA, RightB;
};

template <class Lanes> inline typename Lanes::TFloats LaneFloats(typename Lanes::TInts Values)
{
    return __builtin_convertvector(Values, typename Lanes::TFloats);
}

template <class Lanes, class Format, class TWordsFrom> inline TLaneColumns<Lanes> LaneColumns(const TWordsFrom& Words)
{
    using TInts = typename Lanes::TInts;
    const TInts word = Words.At(0);
    // An 8-bit value moved to the top byte of the high half counts 256 times.
    const TInts lowByteOff = TInts{} + ~0xFF;
    TLaneColumns<Lanes> c{};
    if constexpr (Format::Sixteen && Format::Stereo) {
        const TInts next = Words.At(4);
        c = {LaneFloats<Lanes>((word << 16) >> 16), LaneFloats<Lanes>((next << 16) >> 16),
             LaneFloats<Lanes>(word >> 16), LaneFloats<Lanes>(next >> 16)};
    } else if constexpr (Format::Sixteen) {
        c.LeftA = LaneFloats<Lanes>((word << 16) >> 16);
        c.LeftB = LaneFloats<Lanes>(word >> 16);
    } else if constexpr (Format::Stereo) {
        c = {LaneFloats<Lanes>((word << 24) >> 16), LaneFloats<Lanes>(((word << 8) >> 16) & lowByteOff),
             LaneFloats<Lanes>(((word << 16) >> 16) & lowByteOff), LaneFloats<Lanes>((word >> 16) & lowByteOff)};
    } else {
        c.LeftA = LaneFloats<Lanes>((word << 24) >> 16);
        c.LeftB = LaneFloats<Lanes>(((word << 16) >> 16) & lowByteOff);
    }
    return c;
}

// A voice's gains in every lane, and the frame's arithmetic (MixFrame) that
// adds a group's columns to the accumulators with them.
template <class Lanes> struct TLaneGains {
    using TFloats = typename Lanes::TFloats;
    using TInts = typename Lanes::TInts;

    TFloats ToLeft, ToRight, RightToLeft, RightToRight;

    explicit TLaneGains(const float* Gains)
        : ToLeft(TFloats{} + Gains[0]),
          ToRight(TFloats{} + Gains[1]),
          RightToLeft(TFloats{} + Gains[2]),
          RightToRight(TFloats{} + Gains[3])
    {
    }

    // Adds the group's frames C, lane i weighted by the low 16 bits of
    // Fractions[i], to Left[0..Count-1] and Right[...].
    template <class Format>
    void Add(const TLaneColumns<Lanes>& C, typename Lanes::TWords Fractions, float* Left, float* Right) const
    {
        const TFloats w =
            __builtin_convertvector(reinterpret_cast<TInts>(Fractions & MixFractionMask), TFloats) * MixWeightScale;
        const TFloats keep = 1.0f - w;
        TFloats leftSums, rightSums;
        std::memcpy(&leftSums, Left, sizeof leftSums);
        std::memcpy(&rightSums, Right, sizeof rightSums);
        const TFloats left = C.LeftA * keep + C.LeftB * w;
        leftSums += left * ToLeft;
        rightSums += left * ToRight;
        if constexpr (Format::Stereo) {
            const TFloats right = C.RightA * keep + C.RightB * w;
            leftSums += right * RightToLeft;
            rightSums += right * RightToRight;
        }
        std::memcpy(Left, &leftSums, sizeof leftSums);
        std::memcpy(Right, &rightSums, sizeof rightSums);
    }
};

// The most frames the frame of lane Lanes from a group's first frame can lie
// from it: whole increments and the carries of their fractions.
inline uint32_t FramesSpanned(const TPlayHead& Head, uint32_t Lanes, int BytesShift)
{
    const uint32_t carries = (MixFractionMask + Lanes * Head.IncrementFraction) >> MixFractionBits;
    return Lanes * (Head.IncrementBytes >> BytesShift) + carries;
}

// How a stretch of this increment loads its groups' words: from windows where a
// group's frames (and the next ones) lie close enough together.
template <class Lanes, class Format> TGroupLoad GroupLoadFor(const TPlayHead& Head)
{
    if constexpr (Lanes::Windows) {
        if constexpr (Format::Sixteen && Format::Stereo) {
            // The last lane's next frame among the frames of the window(s).
            const uint32_t lastNext = FramesSpanned(Head, Lanes::Count - 1, Format::BytesShift) + 1;
            if (lastNext < Lanes::Count) {
                return TGroupLoad::OneFrameWindow;
            }
            if (lastNext < 16) {
                return TGroupLoad::FrameWindows;
            }
        } else {
            // The last word (each half's) within the 16-byte window (the half's).
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
// moved), their words loaded as Load says; a group whose windows would reach
// past the DataLength bytes of the allocation loads lane by lane.
template <class Lanes, class Format, TGroupLoad Load>
void MixGroups(const uint8_t* Data, int32_t DataLength, const TPlayHead& Head, const float* Gains, float* Left,
               float* Right, int32_t Groups)
{
    using TWords = typename Lanes::TWords;
    constexpr uint32_t Count = Lanes::Count;
    constexpr uint32_t Half = Count / 2;
    constexpr int Shift = Format::BytesShift;
    // The increment in locals: the stores to the accumulators could otherwise be Head's.
    const uint32_t incrementBytes = Head.IncrementBytes;
    const uint32_t incrementFraction = Head.IncrementFraction;
    // Lane i mixes the group's frame i: i whole increments and the carries of
    // their i fractions from the group's first frame.
    TWords lane{};
    for (uint32_t i = 0; i < Count; ++i) {
        lane[i] = i;
    }
    const TWords laneFractions = lane * incrementFraction;
    const TWords laneFrames = lane * (incrementBytes >> Shift);
    const TLaneGains<Lanes> gains(Gains);
    // The last offset of a group's first frame whose windows lie inside the
    // allocation (the high half's window starts at most Half frames further).
    const int64_t windowsLast = Load == TGroupLoad::FrameWindows     ? int64_t{DataLength} - 64
                                : Load == TGroupLoad::OneFrameWindow ? int64_t{DataLength} - 4 * int64_t{Count}
                                : Load == TGroupLoad::OneByteWindow
                                    ? int64_t{DataLength} - 16
                                    : int64_t{DataLength} - 16 - (int64_t{Half} * incrementBytes + (Half << Shift));
    uint32_t offset = static_cast<uint32_t>(Head.Offset);
    uint32_t fraction = Head.Fraction;
    for (int32_t g = 0; g < Groups; ++g, Left += Count, Right += Count) {
        const TWords fractions = fraction + laneFractions;
        const TWords frames = laneFrames + (fractions >> MixFractionBits);
        const TWords rel = frames << Shift;
        const uint8_t* base = Data + offset;
        TLaneColumns<Lanes> c;
        if (Load == TGroupLoad::Lanes || offset > windowsLast) {
            c = LaneColumns<Lanes, Format>(TLaneLoads<Lanes>{base, rel});
        } else if constexpr (Load == TGroupLoad::OneByteWindow) {
            c = LaneColumns<Lanes, Format>(TOneByteWindow<Lanes>{base, Lanes::OneByteControl(rel)});
        } else if constexpr (Load == TGroupLoad::ByteWindows) {
            const uint32_t high =
                Half * incrementBytes + (((fraction + Half * incrementFraction) >> MixFractionBits) << Shift);
            c = LaneColumns<Lanes, Format>(TByteWindows<Lanes>{base, base + high, Lanes::ByteControl(rel)});
        } else if constexpr (Load == TGroupLoad::OneFrameWindow || Load == TGroupLoad::FrameWindows) {
            c = LaneColumns<Lanes, Format>(TFrameWindow<Lanes, Load>{base, frames});
        }
        gains.template Add<Format>(c, fractions, Left, Right);
        fraction += Count * incrementFraction;
        offset += Count * incrementBytes + ((fraction >> MixFractionBits) << Shift);
        fraction &= MixFractionMask;
    }
}

// Mixes Frames frames from Head on whose words all lie inside the sample's
// allocation (Format::ReadBytes from each frame's offset within DataLength),
// Count at a time and the rest one by one, and moves Head past them. The
// offsets fit 31 bits there.
template <class Lanes, class Format>
void MixLanes(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float* Left, float* Right,
              int32_t Frames)
{
    const int32_t groups = Frames / Lanes::Count;
    if (groups > 0) {
        switch (GroupLoadFor<Lanes, Format>(Head)) {
        case TGroupLoad::Lanes:
            MixGroups<Lanes, Format, TGroupLoad::Lanes>(Data, DataLength, Head, Gains, Left, Right, groups);
            break;
        case TGroupLoad::OneByteWindow:
            if constexpr (Lanes::Windows && !(Format::Sixteen && Format::Stereo)) {
                MixGroups<Lanes, Format, TGroupLoad::OneByteWindow>(Data, DataLength, Head, Gains, Left, Right, groups);
            }
            break;
        case TGroupLoad::ByteWindows:
            if constexpr (Lanes::Windows && !(Format::Sixteen && Format::Stereo)) {
                MixGroups<Lanes, Format, TGroupLoad::ByteWindows>(Data, DataLength, Head, Gains, Left, Right, groups);
            }
            break;
        case TGroupLoad::OneFrameWindow:
            if constexpr (Lanes::Windows && Format::Sixteen && Format::Stereo) {
                MixGroups<Lanes, Format, TGroupLoad::OneFrameWindow>(Data, DataLength, Head, Gains, Left, Right,
                                                                     groups);
            }
            break;
        case TGroupLoad::FrameWindows:
            if constexpr (Lanes::Windows && Format::Sixteen && Format::Stereo) {
                MixGroups<Lanes, Format, TGroupLoad::FrameWindows>(Data, DataLength, Head, Gains, Left, Right, groups);
            }
            break;
        }
        AdvanceBy<Format>(Head, groups * Lanes::Count);
    }
    const int32_t mixed = groups * Lanes::Count;
    MixFrames<Format>(Data, DataLength, Head, Gains, Left + mixed, Right + mixed, Frames - mixed);
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
            gains.template Add<Format>(LaneColumns<Lanes, Format>(TLaneLoads<Lanes>{Data + first, places}), fractions,
                                       Left + k, Right + k);
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

// A path's kernels, its lane set's templates in every frame format.
template <class Lanes>
constexpr TMixKernels LaneKernels = {
    {&MixLanes<Lanes, TFrameFormat<false, false>>, &MixLanes<Lanes, TFrameFormat<false, true>>,
     &MixLanes<Lanes, TFrameFormat<true, false>>, &MixLanes<Lanes, TFrameFormat<true, true>>},
    {&MixLoopedLanes<Lanes, TFrameFormat<false, false>>, &MixLoopedLanes<Lanes, TFrameFormat<false, true>>,
     &MixLoopedLanes<Lanes, TFrameFormat<true, false>>, &MixLoopedLanes<Lanes, TFrameFormat<true, true>>},
    &ConvertLanes<Lanes>};
