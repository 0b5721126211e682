#include "mpeg/layer12/MpegSubbandLayer1.h"

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/layer12/MpegQuantization.h"
#include "mpeg/layer12/MpegScaleFactors.h"

namespace {

constexpr int AllocationBits = 4;
constexpr int ScaleFactorBits = 6;

float ReadScale(TBitStream& Stream)
{
    return ScaleFactorTable[Stream.GetBits(ScaleFactorBits)];
}

// The sample length and requantisation of a channel's allocation; a silent
// channel (allocation 0) keeps the ones it had.
void TakeAllocation(int Allocation, int& SampleLength, float& Factor, float& Offset)
{
    if (Allocation != 0) {
        SampleLength = Allocation + 1;
        Factor = Layer1Factor(Allocation);
        Offset = Layer1Offset(Allocation);
    }
}

// A sample code requantised and scaled.
float ScaledValue(float Sample, float Factor, float Offset, float ScaleFactor)
{
    return static_cast<float>((static_cast<double>(Sample) * Factor + Offset) * ScaleFactor);
}

}  // namespace

void TSubbandLayer1::Reset(int Number)
{
    SubbandNumber = Number;
    SampleNumber = 0;
}

void TSubbandLayer1::ReadAllocation(TBitStream& Stream, const THeader&, TCrc16* Crc)
{
    Allocation = static_cast<int>(Stream.GetBits(AllocationBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Allocation), AllocationBits);
    }
    TakeAllocation(Allocation, SampleLength, Factor, Offset);
}

void TSubbandLayer1::ReadScaleFactor(TBitStream& Stream, const THeader&)
{
    if (Allocation != 0) {
        ScaleFactor = ReadScale(Stream);
    }
}

bool TSubbandLayer1::ReadChannel1Sample(TBitStream& Stream)
{
    if (Allocation != 0) {
        Sample = static_cast<float>(Stream.GetBits(SampleLength));
    }
    if (++SampleNumber < SamplesPerFrame) {
        return false;
    }
    SampleNumber = 0;
    return true;
}

float TSubbandLayer1::Channel1Value() const
{
    return ScaledValue(Sample, Factor, Offset, ScaleFactor);
}

bool TSubbandLayer1::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = ReadChannel1Sample(Stream);
    const int at = TSubbandRun::Index(SubbandNumber, Block);
    Run.Left[at] = Allocation != 0 && Channels != ChannelsRight ? Channel1Value() : 0.0f;
    Run.Right[at] = 0.0f;
    return frameDone;
}

void TSubbandLayer1IntensityStereo::ReadScaleFactor(TBitStream& Stream, const THeader&)
{
    if (Allocation == 0) {
        return;
    }
    ScaleFactor = ReadScale(Stream);
    Channel2ScaleFactor = ReadScale(Stream);
}

bool TSubbandLayer1IntensityStereo::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = ReadChannel1Sample(Stream);
    const int at = TSubbandRun::Index(SubbandNumber, Block);
    float left = 0.0f, right = 0.0f;
    if (Allocation != 0) {
        Sample = static_cast<float>(static_cast<double>(Sample) * Factor + Offset);
        if (Channels == ChannelsBoth) {
            left = Sample * ScaleFactor;
            right = Sample * Channel2ScaleFactor;
        } else if (Channels == ChannelsLeft) {
            left = Sample * ScaleFactor;
        } else {
            left = Sample * Channel2ScaleFactor;
        }
    }
    Run.Left[at] = left;
    Run.Right[at] = right;
    return frameDone;
}

void TSubbandLayer1Stereo::ReadAllocation(TBitStream& Stream, const THeader&, TCrc16* Crc)
{
    Allocation = static_cast<int>(Stream.GetBits(AllocationBits));
    Channel2Allocation = static_cast<int>(Stream.GetBits(AllocationBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Allocation), AllocationBits);
        Crc->AddBits(static_cast<uint32_t>(Channel2Allocation), AllocationBits);
    }
    TakeAllocation(Allocation, SampleLength, Factor, Offset);
    TakeAllocation(Channel2Allocation, Channel2SampleLength, Channel2Factor, Channel2Offset);
}

void TSubbandLayer1Stereo::ReadScaleFactor(TBitStream& Stream, const THeader&)
{
    if (Allocation != 0) {
        ScaleFactor = ReadScale(Stream);
    }
    if (Channel2Allocation != 0) {
        Channel2ScaleFactor = ReadScale(Stream);
    }
}

bool TSubbandLayer1Stereo::ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block)
{
    const bool frameDone = ReadChannel1Sample(Stream);
    if (Channel2Allocation != 0) {
        Channel2Sample = static_cast<float>(Stream.GetBits(Channel2SampleLength));
    }
    const int at = TSubbandRun::Index(SubbandNumber, Block);
    float left = Allocation != 0 && Channels != ChannelsRight ? Channel1Value() : 0.0f;
    float right = 0.0f;
    if (Channel2Allocation != 0 && Channels != ChannelsLeft) {
        (Channels == ChannelsBoth ? right : left) =
            ScaledValue(Channel2Sample, Channel2Factor, Channel2Offset, Channel2ScaleFactor);
    }
    Run.Left[at] = left;
    Run.Right[at] = right;
    return frameDone;
}
