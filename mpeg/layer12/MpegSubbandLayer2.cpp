// The samples of a granule go through the same float operations lane by lane as
// one by one; no product may be fused into a sum.
#include "mpeg/layer12/MpegSubbandLayer2.h"

#include <algorithm>
#include <cstring>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer12/MpegQuantization.h"
#include "mpeg/layer12/MpegScaleFactors.h"

namespace {

typedef int32_t TCodes __attribute__((vector_size(16)));  // a granule's three codes in lanes 0..2

constexpr int ScfsiBits = 2;
constexpr int ScaleFactorBits = 6;
constexpr int LowRateSet = 5;

float ReadScale(TBitStream& Stream)
{
    return ScaleFactorTable[Stream.GetBits(ScaleFactorBits)];
}

// Per-channel bit-rate class of MPEG-1 Layer II: 1 and 2 are the low-rate tables.
int RateClass(const THeader& Header)
{
    int rateClass = Header.BitrateIndex;
    if (!Header.SingleChannel()) {
        rateClass = rateClass == 4 ? 1 : rateClass - 4;
    }
    return rateClass;
}

}  // namespace

int TSubbandLayer2::AllocationBits(const THeader& Header, int Number)
{
    if (Header.Version == 0) {
        return Number <= 3 ? 4 : Number <= 10 ? 3 : 2;
    }
    const int rateClass = RateClass(Header);
    if (rateClass == 1 || rateClass == 2) {
        return Number <= 1 ? 4 : 3;
    }
    return Number <= 10 ? 4 : Number <= 22 ? 3 : 2;
}

int TSubbandLayer2::ClassSet(const THeader& Header, int Number)
{
    // Low-sampling-frequency frames have one allocation table whatever the bit rate.
    if (Header.Version == 0) {
        return Number <= 3 ? 6 : Number <= 10 ? 7 : 8;
    }
    const int rateClass = RateClass(Header);
    if (rateClass == 1 || rateClass == 2) {
        return LowRateSet;
    }
    return Number <= 2 ? 1 : Number <= 10 ? 2 : Number <= 22 ? 3 : 4;
}

void TSubbandLayer2::Reset(int Number)
{
    SubbandNumber = Number;
    Allocation = 0;
    SampleNumber = 0;
    Scfsi = 0;
    for (float& factor : ScaleFactors) {
        factor = 0.0f;
    }
    Class = &QuantClass(0, 0);
}

void TSubbandLayer2::ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc)
{
    const int bits = AllocationBits(Header, SubbandNumber);
    Allocation = static_cast<int>(Stream.GetBits(bits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Allocation), bits);
    }
}

void TSubbandLayer2::ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc)
{
    if (Allocation == 0) {
        return;
    }
    Scfsi = static_cast<int>(Stream.GetBits(ScfsiBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Scfsi), ScfsiBits);
    }
}

void TSubbandLayer2::ReadScaleFactors(TBitStream& Stream, int Selection, float (&Factors)[3])
{
    switch (Selection) {
    case 0:
        for (float& factor : Factors) {
            factor = ReadScale(Stream);
        }
        break;
    case 1:
        Factors[0] = Factors[1] = ReadScale(Stream);
        Factors[2] = ReadScale(Stream);
        break;
    case 2:
        Factors[0] = Factors[1] = Factors[2] = ReadScale(Stream);
        break;
    default:
        Factors[0] = ReadScale(Stream);
        Factors[1] = Factors[2] = ReadScale(Stream);
        break;
    }
}

void TSubbandLayer2::ReadScaleFactor(TBitStream& Stream, const THeader& Header)
{
    if (Allocation == 0) {
        return;
    }
    ReadScaleFactors(Stream, Scfsi, ScaleFactors);
    Class = &QuantClass(ClassSet(Header, SubbandNumber), Allocation);
}

TSubbandLayer2::TGranule TSubbandLayer2::ReadCodes(TBitStream& Stream, const TQuantClass& Class)
{
    const int length = Class.CodeLength;
    if (Class.GroupTable) {
        const float* group = Class.GroupTable + 3 * Stream.GetBits(length);
        return TGranule{group[0], group[1], group[2], 0.0f};
    }
    // The three codes from one look at the bits (a code has at most 16).
    TCodes codes = {};
    if (length > 0) {
        const uint64_t bits = Stream.PeekBits64();
        Stream.SkipBits(3 * length);
        const int shift = 64 - length;
        codes = TCodes{static_cast<int32_t>(bits >> shift), static_cast<int32_t>((bits << length) >> shift),
                       static_cast<int32_t>((bits << (2 * length)) >> shift), 0};
    }
    // Codes have at most 16 bits and Fraction and D are 2^(1 - bits), so the code,
    // the fraction and the fraction plus D are exact floats; the product with C is
    // the one rounding. Each lane is one sample's own float operations.
    const TGranule fractional = __builtin_convertvector(codes, TGranule) * Class.FractionFactor - 1.0f;
    return (fractional + Class.ClassD) * Class.ClassC;
}

void TSubbandLayer2::Scale(TGranule Values, float Factor, float* Samples)
{
    const TGranule scaled = Values * Factor;
    std::memcpy(Samples, &scaled, SamplesPerGranule * sizeof(float));
}

void TSubbandLayer2::Silence(float* Samples)
{
    std::fill(Samples, Samples + SamplesPerGranule, 0.0f);
}

bool TSubbandLayer2::CountGranule()
{
    return ++SampleNumber == GranulesPerFrame;
}

bool TSubbandLayer2::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = CountGranule();
    const int at = TSubbandRun::Index(SubbandNumber, Block);
    Silence(Run.Right + at);
    if (Allocation == 0) {
        Silence(Run.Left + at);
        return frameDone;
    }
    const TGranule values = ReadCodes(Stream, *Class);
    if (Channels == ChannelsRight) {
        Silence(Run.Left + at);
    } else {
        Scale(values, ScaleFactors[Third()], Run.Left + at);
    }
    return frameDone;
}

void TSubbandLayer2IntensityStereo::Channel2Reset()
{
    Channel2Scfsi = 0;
    for (float& factor : Channel2ScaleFactors) {
        factor = 0.0f;
    }
}

void TSubbandLayer2IntensityStereo::Reset(int Number)
{
    TSubbandLayer2::Reset(Number);
    Channel2Reset();
}

void TSubbandLayer2IntensityStereo::ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc)
{
    if (Allocation == 0) {
        return;
    }
    Scfsi = static_cast<int>(Stream.GetBits(ScfsiBits));
    Channel2Scfsi = static_cast<int>(Stream.GetBits(ScfsiBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Scfsi), ScfsiBits);
        Crc->AddBits(static_cast<uint32_t>(Channel2Scfsi), ScfsiBits);
    }
}

void TSubbandLayer2IntensityStereo::ReadScaleFactor(TBitStream& Stream, const THeader& Header)
{
    if (Allocation == 0) {
        return;
    }
    TSubbandLayer2::ReadScaleFactor(Stream, Header);
    ReadScaleFactors(Stream, Channel2Scfsi, Channel2ScaleFactors);
}

bool TSubbandLayer2IntensityStereo::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = CountGranule();
    const int at = TSubbandRun::Index(SubbandNumber, Block);
    if (Allocation == 0) {
        Silence(Run.Left + at);
        Silence(Run.Right + at);
        return frameDone;
    }
    const TGranule values = ReadCodes(Stream, *Class);
    const int t = Third();
    if (Channels == ChannelsBoth) {
        Scale(values, ScaleFactors[t], Run.Left + at);
        Scale(values, Channel2ScaleFactors[t], Run.Right + at);
        return frameDone;
    }
    Scale(values, Channels == ChannelsLeft ? ScaleFactors[t] : Channel2ScaleFactors[t], Run.Left + at);
    Silence(Run.Right + at);
    return frameDone;
}

void TSubbandLayer2Stereo::Channel2Reset()
{
    Channel2Allocation = 0;
    Channel2Scfsi = 0;
    Channel2Class = &QuantClass(0, 0);
    for (float& factor : Channel2ScaleFactors) {
        factor = 0.0f;
    }
}

void TSubbandLayer2Stereo::Reset(int Number)
{
    TSubbandLayer2::Reset(Number);
    Channel2Reset();
}

void TSubbandLayer2Stereo::ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc)
{
    const int bits = AllocationBits(Header, SubbandNumber);
    Allocation = static_cast<int>(Stream.GetBits(bits));
    Channel2Allocation = static_cast<int>(Stream.GetBits(bits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Allocation), bits);
        Crc->AddBits(static_cast<uint32_t>(Channel2Allocation), bits);
    }
}

void TSubbandLayer2Stereo::ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc)
{
    TSubbandLayer2::ReadScaleFactorSelection(Stream, Crc);
    if (Channel2Allocation == 0) {
        return;
    }
    Channel2Scfsi = static_cast<int>(Stream.GetBits(ScfsiBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Channel2Scfsi), ScfsiBits);
    }
}

void TSubbandLayer2Stereo::ReadScaleFactor(TBitStream& Stream, const THeader& Header)
{
    TSubbandLayer2::ReadScaleFactor(Stream, Header);
    if (Channel2Allocation == 0) {
        return;
    }
    ReadScaleFactors(Stream, Channel2Scfsi, Channel2ScaleFactors);
    Channel2Class = &QuantClass(ClassSet(Header, SubbandNumber), Channel2Allocation);
}

bool TSubbandLayer2Stereo::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = TSubbandLayer2::ReadGranule(Stream, Channels, Run, Block);
    if (Channel2Allocation != 0) {
        const TGranule values = ReadCodes(Stream, *Channel2Class);
        // Channels 1 alone: channel 2 goes to the left filter in place of channel 1.
        if (Channels != ChannelsLeft) {
            Scale(values, Channel2ScaleFactors[Third()],
                  (Channels == ChannelsBoth ? Run.Right : Run.Left) + TSubbandRun::Index(SubbandNumber, Block));
        }
    }
    return frameDone;
}
