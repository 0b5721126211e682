#include "player/DmfSample.h"

#include <algorithm>

#include "player/DmfSong.h"

TSample::TSample(TDmf* owner) : Owner(owner)
{
    CuePoints.fill(-1);
}

TSample::~TSample()
{
    if (!Empty) {
        Clear();
    }
}

void TSample::SilenceVoices()
{
    // A voice must never read a released buffer.
    if (Owner && Data) {
        Owner->SilenceVoicesReading(Data);
    }
}

uint8_t* TSample::Allocate(int32_t Length, int32_t Extra)
{
    SilenceVoices();
    const size_t size =
        static_cast<size_t>(std::max(Length, 0)) + static_cast<size_t>(std::max(Extra, 0)) + 2 * SampleGuardBytes;
    Buffer.assign(size, 0);
    Data = Buffer.data() + SampleGuardBytes;
    return Data;
}

void TSample::Clear()
{
    if (!Empty) {
        SilenceVoices();
        Buffer = {};
        Data = nullptr;
        CompressedData = {};
        CompressedSize = 0;
    }
    Empty = true;
    Length = 0;
}

void TSample::SetEmpty(bool Value)
{
    if (Owner) {
        Owner->Acquire();
    }
    if (Value && !Empty) {
        Clear();
    }
    Empty = Value;
    if (Owner) {
        Owner->Release();
    }
}

void TSample::SetName(const std::string& S)
{
    Name = S.substr(0, MaxSampleName);
}

void TSample::SetCuePoint(int Index, int32_t Value)
{
    if (Index >= 0 && Index < MaxCuePoints) {
        CuePoints[static_cast<size_t>(Index)] = Value;
    }
}

int32_t TSample::GetCuePoint(int Index) const
{
    return Index >= 0 && Index < MaxCuePoints ? CuePoints[static_cast<size_t>(Index)] : -1;
}
