#include "mpeg/frame/MpegHeader.h"

#include <algorithm>
#include <string>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/MpegBitrateText.h"
#include "mpeg/frame/MpegTables.h"

namespace {

constexpr uint32_t SyncPatternMask = 0xFFF80CC0;  // sync, version, sampling frequency, mode
constexpr int32_t LowSamplingFrequencySubbands = 30;  // Layer II of MPEG-2 codes 30 subbands at any rate

int FieldVersion(uint32_t H) { return int((H >> 19) & 1); }
int FieldLayer(uint32_t H) { return 4 - int((H >> 17) & 3); }
int FieldBitrateIndex(uint32_t H) { return int((H >> 12) & 15); }
int FieldFrequency(uint32_t H) { return int((H >> 10) & 3); }

bool UsableBitrate(int Index) { return Index != 0 && Index != 15; }

// Side-information bytes of a Layer III frame, also where a VBR information header starts.
int32_t SideInfoBytes(int Version, bool SingleChannel)
{
    if (Version == 1) return SingleChannel ? 17 : 32;
    return SingleChannel ? 9 : 17;
}

}  // namespace

int32_t THeader::Frequency() const { return FrequencyTable[Version & 1][SampleFrequency & 3]; }

int32_t THeader::Bitrate() const
{
    if (Layer < 1 || Layer > 3) return 0;
    return BitrateTable[Version & 1][Layer - 1][BitrateIndex & 15];
}

bool THeader::AcceptFirst(uint32_t H, TBitStream& Stream)
{
    if (FieldFrequency(H) == 3 || FieldLayer(H) == 4 || !UsableBitrate(FieldBitrateIndex(H))) return false;
    Version = uint8_t(FieldVersion(H));
    SampleFrequency = uint8_t(FieldFrequency(H));
    Layer = FieldLayer(H);
    Stream.SetSyncPattern(H & SyncPatternMask);
    Synced = true;
    return true;
}

bool THeader::AcceptLater(uint32_t H)
{
    return FieldLayer(H) == Layer && UsableBitrate(FieldBitrateIndex(H));
}

void THeader::ComputeFrameLayout()
{
    IntensityStereoBound = Mode == ModeJointStereo ? ModeExtension * 4 + 4 : 0;
    if (Layer == 1) {
        NumberOfSubbands = 32;
    } else if (Version == 0) {
        NumberOfSubbands = LowSamplingFrequencySubbands;
    } else {
        // Per-channel rate class of the Layer II allocation tables.
        int RateClass = BitrateIndex;
        if (Mode != ModeSingleChannel) RateClass = RateClass == 4 ? 1 : RateClass - 4;
        if (RateClass == 1 || RateClass == 2)
            NumberOfSubbands = SampleFrequency == 2 ? 12 : 8;
        else
            NumberOfSubbands = (SampleFrequency == 1 || (RateClass >= 3 && RateClass <= 5)) ? 27 : 30;
    }
    IntensityStereoBound = std::min(IntensityStereoBound, NumberOfSubbands);

    const int32_t Rate = Bitrate();
    const int32_t Hz = Frequency();
    int32_t Size;
    if (Layer == 1) {
        Size = (12 * Rate / Hz + PaddingBit) * 4;
    } else {
        Size = 144 * Rate / Hz;
        if (Layer == 3 && Version == 0) Size >>= 1;
        Size += PaddingBit;
    }
    MainDataSlots = 0;
    if (Layer == 3)
        MainDataSlots = Size - SideInfoBytes(Version, SingleChannel()) - (ProtectionBit == 0 ? 2 : 0) - 4;
    FrameSize = Size - 4;
}

bool THeader::ReadHeader(TBitStream& Stream, TCrc16* Crc)
{
    const bool FirstHeader = !Synced;
    uint32_t H = 0;
    bool Accepted = false;
    for (int Candidate = 0; Candidate < MaxCandidates && !Accepted; ++Candidate) {
        if (!Synced) Stream.FrameIndex = -1;
        if (!Stream.GetHeader(H, Synced)) return false;
        Accepted = Synced ? AcceptLater(H) : AcceptFirst(H, Stream);
        if (!Accepted) {
            // Search on from the byte after the refused candidate: a real header may
            // start inside it (as in a run of 0xFF bytes before a sync).
            Stream.Seek(-3, 1);
            --Stream.FrameIndex;
        }
    }
    if (!Accepted) return false;

    ProtectionBit = int32_t((H >> 16) & 1);
    BitrateIndex = FieldBitrateIndex(H);
    PaddingBit = int32_t((H >> 9) & 1);
    Mode = uint8_t((H >> 6) & 3);
    ModeExtension = int32_t((H >> 4) & 3);
    ComputeFrameLayout();

    if (!Stream.ReadFrame(FrameSize)) return false;
    if (FirstHeader) {
        const int32_t At = SideInfoBytes(Version, SingleChannel());
        const char Id[4] = {char(Stream.FrameByte(At)), char(Stream.FrameByte(At + 1)), char(Stream.FrameByte(At + 2)),
                            char(Stream.FrameByte(At + 3))};
        const std::string Tag(Id, 4);
        VbrHeader = At + 4 <= FrameSize && (Tag == "Xing" || Tag == "VBRI");
        FirstFrameSize = FrameSize;
    }
    if (ProtectionBit == 0) {
        Checksum = int32_t(Stream.GetBits(16));
        if (Crc) {
            CrcAccumulator = Crc;
        } else {
            OwnCrc = std::make_unique<TCrc16>();
            CrcAccumulator = OwnCrc.get();
        }
        CrcAccumulator->AddBits(H & 0xFFFF, 16);
    } else {
        OwnCrc.reset();
        CrcAccumulator = nullptr;
    }
    return true;
}

bool THeader::SeekToFrame(TBitStream& Stream, int32_t Frame)
{
    if (Stream.Seek(Stream.DataStart, 0) < 0) return false;
    Stream.FrameIndex = -1;
    for (int32_t I = 0; I <= std::max(Frame, 0); ++I)
        if (!ReadHeader(Stream, nullptr)) return false;
    return true;
}

int32_t THeader::MaxNumberOfFrames(const TBitStream& Stream) const
{
    const int32_t Divisor = FirstFrameSize + 4 - PaddingBit;
    return Divisor > 0 ? (Stream.Size - Stream.DataStart) / Divisor : 0;
}

int32_t THeader::MinNumberOfFrames(const TBitStream& Stream) const
{
    const int32_t Divisor = FirstFrameSize + 5 - PaddingBit;
    return Divisor > 0 ? (Stream.Size - Stream.DataStart) / Divisor : 0;
}

double THeader::MsPerFrame() const
{
    if (Layer < 1 || Layer > 3 || SampleFrequency > 2) return 0.0;
    // Layer I and II frames hold as many samples at half the rate in MPEG-2: they last twice as long.
    const double Factor = Version == 0 && Layer < 3 ? 2.0 : 1.0;
    return FrameDurationTable[Layer - 1][SampleFrequency] * Factor;
}

float THeader::TotalMs(const TBitStream& Stream) const
{
    return float(MaxNumberOfFrames(Stream) * MsPerFrame());
}

int32_t THeader::BitrateKbps() const
{
    const std::string Text = BitrateText(Version, Layer, BitrateIndex);
    const size_t Blank = Text.find(' ');
    // The number must stand before a blank that is at least the text's second character.
    if (Blank == std::string::npos || Blank < 1) return 0;
    try {
        size_t Used = 0;
        const int32_t Value = std::stoi(Text.substr(0, Blank), &Used);
        return Used == Blank ? Value : 0;
    } catch (...) {
        return 0;
    }
}
