#include "mpeg/layer12/MpegSubbandLayer1.h"

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/layer12/MpegQuantization.h"
#include "mpeg/layer12/MpegScaleFactors.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

constexpr int AllocationBits = 4;
constexpr int ScaleFactorBits = 6;

float ReadScale(TBitStream& Stream)
{
    return ScaleFactorTable[Stream.GetBits(ScaleFactorBits)];
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
    if (Allocation != 0) {
        SampleLength = Allocation + 1;
        Factor = Layer1Factor(Allocation);
        Offset = Layer1Offset(Allocation);
    }
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

bool TSubbandLayer1::ReadSampleData(TBitStream& Stream)
{
    return ReadChannel1Sample(Stream);
}

bool TSubbandLayer1::PutNextSample(uint8_t Channels, TSynthesisFilter* Left, TSynthesisFilter*)
{
    if (Allocation != 0 && Channels != ChannelsRight)
        Left->InputSample(static_cast<float>((static_cast<double>(Sample) * Factor + Offset) * ScaleFactor),
                          SubbandNumber);
    return true;
}

void TSubbandLayer1IntensityStereo::ReadScaleFactor(TBitStream& Stream, const THeader&)
{
    if (Allocation == 0) {
        return;
    }
    ScaleFactor = ReadScale(Stream);
    Channel2ScaleFactor = ReadScale(Stream);
}

bool TSubbandLayer1IntensityStereo::PutNextSample(uint8_t Channels, TSynthesisFilter* Left, TSynthesisFilter* Right)
{
    if (Allocation == 0) {
        return true;
    }
    Sample = static_cast<float>(static_cast<double>(Sample) * Factor + Offset);
    if (Channels == ChannelsBoth) {
        Left->InputSample(Sample * ScaleFactor, SubbandNumber);
        Right->InputSample(Sample * Channel2ScaleFactor, SubbandNumber);
    } else if (Channels == ChannelsLeft) {
        Left->InputSample(Sample * ScaleFactor, SubbandNumber);
    } else {
        Left->InputSample(Sample * Channel2ScaleFactor, SubbandNumber);
    }
    return true;
}

void TSubbandLayer1Stereo::ReadAllocation(TBitStream& Stream, const THeader&, TCrc16* Crc)
{
    Allocation = static_cast<int>(Stream.GetBits(AllocationBits));
    Channel2Allocation = static_cast<int>(Stream.GetBits(AllocationBits));
    if (Crc) {
        Crc->AddBits(static_cast<uint32_t>(Allocation), AllocationBits);
        Crc->AddBits(static_cast<uint32_t>(Channel2Allocation), AllocationBits);
    }
    if (Allocation != 0) {
        SampleLength = Allocation + 1;
        Factor = Layer1Factor(Allocation);
        Offset = Layer1Offset(Allocation);
    }
    if (Channel2Allocation != 0) {
        Channel2SampleLength = Channel2Allocation + 1;
        Channel2Factor = Layer1Factor(Channel2Allocation);
        Channel2Offset = Layer1Offset(Channel2Allocation);
    }
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

bool TSubbandLayer1Stereo::ReadSampleData(TBitStream& Stream)
{
    const bool frameDone = ReadChannel1Sample(Stream);
    if (Channel2Allocation != 0) {
        Channel2Sample = static_cast<float>(Stream.GetBits(Channel2SampleLength));
    }
    return frameDone;
}

bool TSubbandLayer1Stereo::PutNextSample(uint8_t Channels, TSynthesisFilter* Left, TSynthesisFilter* Right)
{
    TSubbandLayer1::PutNextSample(Channels, Left, Right);
    if (Channel2Allocation != 0 && Channels != ChannelsLeft) {
        const float value = static_cast<float>((static_cast<double>(Channel2Sample) * Channel2Factor + Channel2Offset) *
                                               Channel2ScaleFactor);
        (Channels == ChannelsBoth ? Right : Left)->InputSample(value, SubbandNumber);
    }
    return true;
}
