#pragma once
// A voice mixed several output frames at a time, one frame per lane of a
// vector, and a tick's accumulators converted to PCM as many at a time. Each
// lane does exactly the steps of the plain frame (DmfMixFrame.h) in the same
// order, so every width gives the plain path's bits.
//
// The code is written once for any width and takes its vectors from a lane
// set (TSse2Lanes, TAvx2Lanes) that each path defines in its own source: a
// path for wider registers includes this header after it has switched its
// code to them (and after the headers it needs), and gets these templates
// built for them, private to that source through its lane set.
//
// A lane set gives:
//   Count                 lanes per vector (output frames mixed at a time)
//   TFloats, TInts,       vectors of Count floats, 32-bit signed and unsigned
//   TWords, TShorts       integers, 16-bit integers
//   Order                 the output frame of each lane, 0..Count-1, in the
//                         order that makes Twice... give output order
//   Words(Data, Offsets)  the 32-bit word at Data + Offsets[i] in lane i
//   TwiceLow(V),          the lanes of output frames 0..Count/2-1 (and
//   TwiceHigh(V)          Count/2..Count-1) each twice, in output order: a
//                         value for the left and right accumulator of a frame

// The values of Count frames and the frames after them, one frame per lane:
// LeftA and LeftB of the left (or only) channel, RightA and RightB of a
// stereo right channel. The bytes of a frame and the next are loaded as
// 32-bit words and the values cut out by shifts, which keeps the sign.
template <class Lanes> struct TLaneColumns {
    typename Lanes::TFloats LeftA, LeftB, RightA, RightB;
};

// (A function, not a lambda: a lambda would not be built for the lanes' registers.)
template <class Lanes> inline typename Lanes::TFloats LaneFloats(typename Lanes::TInts Values)
{
    return __builtin_convertvector(Values, typename Lanes::TFloats);
}

template <class Lanes, class Format>
inline TLaneColumns<Lanes> LaneColumns(const uint8_t* Data, typename Lanes::TWords Offsets)
{
    using TInts = typename Lanes::TInts;
    const TInts word = Lanes::Words(Data, Offsets);
    // An 8-bit value moved to the top byte of the high half counts 256 times.
    const TInts lowByteOff = TInts{} + ~0xFF;
    TLaneColumns<Lanes> c{};
    if constexpr (Format::Sixteen && Format::Stereo) {
        const TInts next = Lanes::Words(Data, Offsets + 4u);
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

// Mixes Frames frames whose two source frames all lie inside the sample's
// allocation, Count at a time and the rest one by one; moves Head past them.
// The offsets fit 31 bits there.
template <class Lanes, class Format>
void MixLanes(const uint8_t* Data, TPlayHead& Head, const float* Gains, float* Out, int32_t Frames)
{
    using TFloats = typename Lanes::TFloats;
    using TInts = typename Lanes::TInts;
    using TWords = typename Lanes::TWords;
    constexpr int Count = Lanes::Count;
    const int32_t groups = Frames / Count;
    if (groups > 0) {
        // Lane i starts on output frame Order[i]: the whole steps and the
        // carries of Order[i] fraction steps from the head.
        TWords fractions = Head.Fraction + Lanes::Order * Head.StepFraction;
        TWords offsets = static_cast<uint32_t>(Head.Offset) + Lanes::Order * Head.StepBytes +
                         ((fractions >> MixFractionBits) << Format::BytesShift);
        fractions &= MixFractionMask;
        // Every lane moves on by Count frames per group. After the last group
        // the lanes may wrap; they are not read again.
        const uint32_t groupFraction = Count * Head.StepFraction;
        const uint32_t groupBytes = Count * Head.StepBytes;
        TFloats toOutputs, rightToOutputs;
        for (int i = 0; i < Count; ++i) {
            toOutputs[i] = Gains[i % 2];
            rightToOutputs[i] = Gains[2 + i % 2];
        }
        float* out = Out;
        for (int32_t g = 0; g < groups; ++g, out += 2 * Count) {
            const TLaneColumns<Lanes> c = LaneColumns<Lanes, Format>(Data, offsets);
            const TFloats w = __builtin_convertvector(reinterpret_cast<TInts>(fractions), TFloats) * MixWeightScale;
            const TFloats keep = 1.0f - w;
            TFloats low, high;  // the accumulators of output frames 0..Count/2-1 and the rest
            std::memcpy(&low, out, sizeof low);
            std::memcpy(&high, out + Count, sizeof high);
            const TFloats left = c.LeftA * keep + c.LeftB * w;
            low += Lanes::TwiceLow(left) * toOutputs;
            if constexpr (Format::Stereo) {
                const TFloats right = c.RightA * keep + c.RightB * w;
                low += Lanes::TwiceLow(right) * rightToOutputs;
                high += Lanes::TwiceHigh(left) * toOutputs;
                high += Lanes::TwiceHigh(right) * rightToOutputs;
            } else {
                high += Lanes::TwiceHigh(left) * toOutputs;
            }
            std::memcpy(out, &low, sizeof low);
            std::memcpy(out + Count, &high, sizeof high);
            fractions += groupFraction;
            offsets += groupBytes + ((fractions >> MixFractionBits) << Format::BytesShift);
            fractions &= MixFractionMask;
        }
        AdvanceBy<Format>(Head, groups * Count);
    }
    MixFrames<Format>(Data, Head, Gains, Out + 2 * Count * groups, Frames - Count * groups);
}

// Converts Values accumulators to 16-bit little-endian PCM as ConvertFrames
// does, Count at a time and the rest one by one.
template <class Lanes> void ConvertLanes(const float* Mix, uint8_t* Pcm, int32_t Values)
{
    using TFloats = typename Lanes::TFloats;
    using TInts = typename Lanes::TInts;
    const TFloats range = TFloats{} + MixRoundingRange;
    const TFloats low = TFloats{} + MixOutputLow;
    const TFloats high = TFloats{} + MixOutputHigh;
    int32_t i = 0;
    for (; i + Lanes::Count <= Values; i += Lanes::Count) {
        TFloats sum;
        std::memcpy(&sum, Mix + i, sizeof sum);
        sum = sum < -range ? -range : sum;
        sum = sum > range ? range : sum;
        TFloats rounded = (sum + MixRoundingBias) - MixRoundingBias;
        rounded = rounded < low ? low : rounded;
        rounded = rounded > high ? high : rounded;
        const auto samples =
            __builtin_convertvector(__builtin_convertvector(rounded, TInts) >> 2, typename Lanes::TShorts);
        std::memcpy(Pcm + 2 * i, &samples, sizeof samples);
    }
    ConvertFrames(Mix + i, Pcm + 2 * i, Values - i);
}
