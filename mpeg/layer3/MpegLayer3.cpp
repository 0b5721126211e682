#include "mpeg/layer3/MpegLayer3.h"

#include <algorithm>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

// Bits of side information by version (0 MPEG-2, 1 MPEG-1) and channel count - 1.
constexpr int SideInfoBits[2][2] = {{72, 136}, {136, 256}};
constexpr int MaxBigValues = GranuleLines / 2;

}  // namespace

TLayer3Decoder::TLayer3Decoder(TBitStream* Stream, THeader* Header, TSynthesisFilter* FilterLeft,
                               TSynthesisFilter* FilterRight, TBuffer* Output, uint8_t Channels)
    : Stream(Stream),
      Header(Header),
      FilterLeft(FilterLeft),
      FilterRight(FilterRight),
      Output(Output),
      Channels(Channels),
      Reservoir(std::make_unique<TBitReserve>())
{
}

TLayer3Decoder::~TLayer3Decoder() = default;

void TLayer3Decoder::Reset()
{
    FrameStart = 0;
    if (FilterLeft)
        FilterLeft->Reset();
    if (FilterRight)
        FilterRight->Reset();
    std::fill(&Overlap[0][0], &Overlap[0][0] + 2 * GranuleLines, 0.0f);
    Reservoir = std::make_unique<TBitReserve>();
}

void TLayer3Decoder::DecodeFrame()
{
    // The sync pattern keeps version, rate and channel count fixed, but the header is
    // the authority for the frame at hand.
    const bool Mpeg1 = Header->Version == 1;
    StreamChannels = Header->SingleChannel() ? 1 : 2;
    GranuleCount = Mpeg1 ? 2 : 1;
    BandTableIndex = std::min<int>(Header->SampleFrequency, 2) + (Mpeg1 ? 3 : 0);
    // Subbands 0 and 1 hold 8 long bands at the MPEG-1 rates and 6 at the MPEG-2 ones.
    MixedLongBands = Mpeg1 ? 8 : 6;
    if (StreamChannels == 2 && Channels == 2 && FilterRight != nullptr) {
        FirstChannel = 0;
        LastChannel = 1;
    } else {
        FirstChannel = LastChannel = StreamChannels == 2 && Channels == 1 ? 1 : 0;
    }

    ReadSideInfo();
    if (!TakeMainData())
        return;
    for (int Granule = 0; Granule < GranuleCount; ++Granule) {
        for (int Channel = 0; Channel < StreamChannels; ++Channel) {
            Part2Start = Reservoir->BitsRead();
            if (Mpeg1)
                ReadScaleFactors(Channel, Granule);
            else
                ReadScaleFactorsLsf(Channel, Granule);
            DecodeHuffman(Channel, Granule);
            Dequantize(Channel, Granule);
        }
        ProcessStereo(Granule);
        for (int Channel = FirstChannel; Channel <= LastChannel; ++Channel) {
            Reorder(Channel, Granule);
            Antialias(Channel, Granule);
            Hybrid(Channel, Granule);
            HandOff(Channel);
        }
    }
}

void TLayer3Decoder::ReadSideInfo()
{
    const bool Mpeg1 = Header->Version == 1;
    int BitsLeft = SideInfoBits[Mpeg1 ? 1 : 0][StreamChannels - 1];
    auto Get = [&](int Count) {
        BitsLeft -= Count;
        return static_cast<int>(Stream->GetBits(Count));
    };
    TSideInfo& Info = SideInfo;
    Info.MainDataBegin = Get(Mpeg1 ? 9 : 8);
    Info.PrivateBits = Get(StreamChannels == 1 ? (Mpeg1 ? 5 : 1) : (Mpeg1 ? 3 : 2));
    if (Mpeg1)
        for (int Channel = 0; Channel < StreamChannels; ++Channel)
            for (int& Flag : Info.Scfsi[Channel])
                Flag = Get(1);
    bool EndedEarly = false;
    for (int Granule = 0; Granule < GranuleCount && !EndedEarly; ++Granule) {
        for (int Channel = 0; Channel < StreamChannels && !EndedEarly; ++Channel) {
            TGranuleInfo& G = Info.Granules[Granule][Channel];
            G.Part2_3Length = Get(12);
            G.BigValues = std::min(Get(9), MaxBigValues);
            G.GlobalGain = Get(8);
            G.ScalefacCompress = Get(Mpeg1 ? 4 : 9);
            G.WindowSwitching = Get(1);
            if (G.WindowSwitching) {
                G.BlockType = Get(2);
                G.MixedBlock = Get(1);
                if (G.BlockType == 0) {
                    // Forbidden combination: the rest of the side information is not
                    // read, but the main data is still taken from its proper place.
                    EndedEarly = true;
                    break;
                }
                for (int Region = 0; Region < 2; ++Region)
                    G.TableSelect[Region] = Get(5);
                for (int& Gain : G.SubblockGain)
                    Gain = Get(3);
                G.Region0Count = G.BlockType == 2 && !G.MixedBlock ? 8 : 7;
                G.Region1Count = 20 - G.Region0Count;
            } else {
                for (int& Table : G.TableSelect)
                    Table = Get(5);
                G.Region0Count = Get(4);
                G.Region1Count = Get(3);
                G.BlockType = 0;
            }
            if (Mpeg1)
                G.Preflag = Get(1);
            G.ScalefacScale = Get(1);
            G.Count1TableSelect = Get(1);
        }
    }
    // Skip what an early end left unread.
    for (; BitsLeft > 0; BitsLeft -= 16)
        Stream->GetBits(std::min(BitsLeft, 16));
}

// Appends the frame's main data to the reservoir and positions the reservoir on the
// frame's first main-data bit. False when that bit lies before what the reservoir
// holds (the first frames after the start or a reset): the frame gives no PCM.
bool TLayer3Decoder::TakeMainData()
{
    const int32_t Slots = std::max<int32_t>(Header->MainDataSlots, 0);
    // Two bytes per read of the frame's bits, which is byte-aligned here.
    int32_t Taken = 0;
    for (; Taken + 1 < Slots; Taken += 2) {
        const uint32_t Pair = Stream->GetBits(16);
        Reservoir->PutByte(Pair >> 8);
        Reservoir->PutByte(Pair & 0xFF);
    }
    if (Taken < Slots)
        Reservoir->PutByte(Stream->GetBits(8));
    int32_t MainDataEnd = Reservoir->BitsRead() / 8;
    if (Reservoir->BitsRead() % 8 != 0) {
        Reservoir->ReadBits(8 - Reservoir->BitsRead() % 8);
        ++MainDataEnd;
    }
    const int32_t Discard = FrameStart - MainDataEnd - SideInfo.MainDataBegin;
    FrameStart += Slots;
    if (Discard < 0)
        return false;
    if (MainDataEnd > TBitReserve::Size) {
        FrameStart -= TBitReserve::Size;
        Reservoir->RewindBytes(TBitReserve::Size);
    }
    for (int32_t i = 0; i < Discard; ++i)
        Reservoir->ReadBits(8);
    return true;
}
