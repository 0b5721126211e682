#include "mpeg/layer3/MpegLayer3.h"

#include <algorithm>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

// Bits of side information by version (0 MPEG-2, 1 MPEG-1) and channel count - 1.
constexpr int SideInfoBits[2][2] = {{72, 136}, {136, 256}};
constexpr int MaxBigValues = GranuleLines / 2;

}  // namespace

TLayer3Decoder::TLayer3Decoder(const TLayerLinks& Links) : Links(Links), Reservoir(std::make_unique<TBitReserve>())
{
}

TLayer3Decoder::~TLayer3Decoder() = default;

void TLayer3Decoder::Reset()
{
    FrameStart = 0;
    if (Links.FilterLeft) {
        Links.FilterLeft->Reset();
    }
    if (Links.FilterRight) {
        Links.FilterRight->Reset();
    }
    std::fill(&Overlap[0][0], &Overlap[0][0] + 2 * GranuleLines, 0.0f);
    Reservoir = std::make_unique<TBitReserve>();
}

void TLayer3Decoder::DecodeFrame()
{
    // The sync pattern keeps version, rate and channel count fixed, but the header is
    // the authority for the frame at hand.
    const bool mpeg1 = Links.Header->Version == 1;
    StreamChannels = Links.Header->SingleChannel() ? 1 : 2;
    GranuleCount = mpeg1 ? 2 : 1;
    BandTableIndex = std::min<int>(Links.Header->SampleFrequency, 2) + (mpeg1 ? 3 : 0);
    // Subbands 0 and 1 hold 8 long bands at the MPEG-1 rates and 6 at the MPEG-2 ones.
    MixedLongBands = mpeg1 ? 8 : 6;
    if (StreamChannels == 2 && Links.Channels == 2 && Links.FilterRight != nullptr) {
        FirstChannel = 0;
        LastChannel = 1;
    } else {
        FirstChannel = LastChannel = StreamChannels == 2 && Links.Channels == 1 ? 1 : 0;
    }

    ReadSideInfo();
    if (!TakeMainData()) {
        return;
    }
    for (int granule = 0; granule < GranuleCount; ++granule) {
        for (int channel = 0; channel < StreamChannels; ++channel) {
            Part2Start = Reservoir->BitsRead();
            if (mpeg1) {
                ReadScaleFactors(channel, granule);
            } else {
                ReadScaleFactorsLsf(channel, granule);
            }
            DecodeHuffman(channel, granule);
            Dequantize(channel, granule);
        }
        ProcessStereo(granule);
        for (int channel = FirstChannel; channel <= LastChannel; ++channel) {
            Reorder(channel, granule);
            Antialias(channel, granule);
            Hybrid(channel, granule);
            HandOff(channel);
        }
    }
}

void TLayer3Decoder::ReadSideInfo()
{
    const bool mpeg1 = Links.Header->Version == 1;
    int bitsLeft = SideInfoBits[mpeg1 ? 1 : 0][StreamChannels - 1];
    auto get = [&](int Count) {
        bitsLeft -= Count;
        return static_cast<int>(Links.Stream->GetBits(Count));
    };
    TSideInfo& info = SideInfo;
    info.MainDataBegin = get(mpeg1 ? 9 : 8);
    info.PrivateBits = get(StreamChannels == 1 ? (mpeg1 ? 5 : 1) : (mpeg1 ? 3 : 2));
    if (mpeg1) {
        for (int channel = 0; channel < StreamChannels; ++channel) {
            for (int& flag : info.Scfsi[channel]) {
                flag = get(1);
            }
        }
    }
    bool endedEarly = false;
    for (int granule = 0; granule < GranuleCount && !endedEarly; ++granule) {
        for (int channel = 0; channel < StreamChannels && !endedEarly; ++channel) {
            TGranuleInfo& g = info.Granules[granule][channel];
            g.Part2_3Length = get(12);
            g.BigValues = std::min(get(9), MaxBigValues);
            g.GlobalGain = get(8);
            g.ScalefacCompress = get(mpeg1 ? 4 : 9);
            g.WindowSwitching = get(1);
            if (g.WindowSwitching) {
                g.BlockType = get(2);
                g.MixedBlock = get(1);
                if (g.BlockType == 0) {
                    // Forbidden combination: the rest of the side information is not
                    // read, but the main data is still taken from its proper place.
                    endedEarly = true;
                    break;
                }
                for (int region = 0; region < 2; ++region) {
                    g.TableSelect[region] = get(5);
                }
                for (int& gain : g.SubblockGain) {
                    gain = get(3);
                }
                g.Region0Count = g.BlockType == 2 && !g.MixedBlock ? 8 : 7;
                g.Region1Count = 20 - g.Region0Count;
            } else {
                for (int& table : g.TableSelect) {
                    table = get(5);
                }
                g.Region0Count = get(4);
                g.Region1Count = get(3);
                g.BlockType = 0;
            }
            if (mpeg1) {
                g.Preflag = get(1);
            }
            g.ScalefacScale = get(1);
            g.Count1TableSelect = get(1);
        }
    }
    // Skip what an early end left unread.
    for (; bitsLeft > 0; bitsLeft -= 16) {
        Links.Stream->GetBits(std::min(bitsLeft, 16));
    }
}

// Appends the frame's main data to the reservoir and positions the reservoir on the
// frame's first main-data bit. False when that bit lies before what the reservoir
// holds (the first frames after the start or a reset): the frame gives no PCM.
bool TLayer3Decoder::TakeMainData()
{
    const int32_t slots = std::clamp<int32_t>(Links.Header->MainDataSlots, 0, TBitStream::MaxFrameBytes);
    uint8_t mainData[TBitStream::MaxFrameBytes];
    Links.Stream->ReadBytes(mainData, slots);
    Reservoir->PutBytes(mainData, slots);
    int32_t mainDataEnd = Reservoir->BitsRead() / 8;
    if (Reservoir->BitsRead() % 8 != 0) {
        Reservoir->ReadBits(8 - Reservoir->BitsRead() % 8);
        ++mainDataEnd;
    }
    const int32_t discard = FrameStart - mainDataEnd - SideInfo.MainDataBegin;
    FrameStart += slots;
    if (discard < 0) {
        return false;
    }
    if (mainDataEnd > TBitReserve::Size) {
        FrameStart -= TBitReserve::Size;
        Reservoir->RewindBytes(TBitReserve::Size);
    }
    for (int32_t i = 0; i < discard; ++i) {
        Reservoir->ReadBits(8);
    }
    return true;
}
