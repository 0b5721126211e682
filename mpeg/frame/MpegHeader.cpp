#include "mpeg/frame/MpegHeader.h"

#include <algorithm>
#include <string>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegBitrateText.h"
#include "mpeg/frame/MpegTables.h"

namespace {

constexpr uint32_t SyncPatternMask = 0xFFF80CC0;      // sync, version, sampling frequency, mode
constexpr int32_t LowSamplingFrequencySubbands = 30;  // Layer II of MPEG-2 codes 30 subbands at any rate

int FieldVersion(uint32_t H)
{
    return static_cast<int>((H >> 19) & 1);
}
int FieldLayer(uint32_t H)
{
    return 4 - static_cast<int>((H >> 17) & 3);
}
int FieldBitrateIndex(uint32_t H)
{
    return static_cast<int>((H >> 12) & 15);
}
int FieldFrequency(uint32_t H)
{
    return static_cast<int>((H >> 10) & 3);
}

bool UsableBitrate(int Index)
{
    return Index != 0 && Index != 15;
}

// Side-information bytes of a Layer III frame, also where a VBR information header starts.
int32_t SideInfoBytes(int Version, bool SingleChannel)
{
    if (Version == 1) {
        return SingleChannel ? 17 : 32;
    }
    return SingleChannel ? 9 : 17;
}

}  // namespace

int32_t THeader::Frequency() const
{
    return FrequencyTable[Version & 1][SampleFrequency & 3];
}

int32_t THeader::Bitrate() const
{
    if (Layer < 1 || Layer > 3) {
        return 0;
    }
    return BitrateTable[Version & 1][Layer - 1][BitrateIndex & 15];
}

bool THeader::AcceptFirst(uint32_t H, TBitStream& Stream)
{
    if (FieldFrequency(H) == 3 || FieldLayer(H) == 4 || !UsableBitrate(FieldBitrateIndex(H))) {
        return false;
    }
    Version = static_cast<uint8_t>(FieldVersion(H));
    SampleFrequency = static_cast<uint8_t>(FieldFrequency(H));
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
        int rateClass = BitrateIndex;
        if (Mode != ModeSingleChannel) {
            rateClass = rateClass == 4 ? 1 : rateClass - 4;
        }
        if (rateClass == 1 || rateClass == 2) {
            NumberOfSubbands = SampleFrequency == 2 ? 12 : 8;
        } else {
            NumberOfSubbands = (SampleFrequency == 1 || (rateClass >= 3 && rateClass <= 5)) ? 27 : 30;
        }
    }
    IntensityStereoBound = std::min(IntensityStereoBound, NumberOfSubbands);

    const int32_t rate = Bitrate();
    const int32_t hz = Frequency();
    int32_t size;
    if (Layer == 1) {
        size = (12 * rate / hz + PaddingBit) * 4;
    } else {
        size = 144 * rate / hz;
        if (Layer == 3 && Version == 0) {
            size >>= 1;
        }
        size += PaddingBit;
    }
    MainDataSlots = 0;
    if (Layer == 3) {
        MainDataSlots = size - SideInfoBytes(Version, SingleChannel()) - (ProtectionBit == 0 ? 2 : 0) - 4;
    }
    FrameSize = size - 4;
}

bool THeader::ReadHeader(TBitStream& Stream, TCrc16* Crc)
{
    const bool firstHeader = !Synced;
    uint32_t h = 0;
    bool accepted = false;
    for (int candidate = 0; candidate < MaxCandidates && !accepted; ++candidate) {
        if (!Synced) {
            Stream.FrameIndex = -1;
        }
        if (!Stream.GetHeader(h, Synced)) {
            return false;
        }
        accepted = Synced ? AcceptLater(h) : AcceptFirst(h, Stream);
        if (!accepted) {
            // Search on from the byte after the refused candidate: a real header may
            // start inside it (as in a run of 0xFF bytes before a sync).
            Stream.Seek(-3, 1);
            --Stream.FrameIndex;
        }
    }
    if (!accepted) {
        return false;
    }

    ProtectionBit = static_cast<int32_t>((h >> 16) & 1);
    BitrateIndex = FieldBitrateIndex(h);
    PaddingBit = static_cast<int32_t>((h >> 9) & 1);
    Mode = static_cast<uint8_t>((h >> 6) & 3);
    ModeExtension = static_cast<int32_t>((h >> 4) & 3);
    ComputeFrameLayout();

    if (!Stream.ReadFrame(FrameSize)) {
        return false;
    }
    if (firstHeader) {
        const int32_t at = SideInfoBytes(Version, SingleChannel());
        const char id[4] = {static_cast<char>(Stream.FrameByte(at)), static_cast<char>(Stream.FrameByte(at + 1)),
                            static_cast<char>(Stream.FrameByte(at + 2)), static_cast<char>(Stream.FrameByte(at + 3))};
        const std::string tag(id, 4);
        VbrHeader = at + 4 <= FrameSize && (tag == "Xing" || tag == "VBRI");
        FirstFrameSize = FrameSize;
    }
    HasCrc = ProtectionBit == 0;
    GivenCrc = HasCrc ? Crc : nullptr;
    if (HasCrc) {
        Checksum = static_cast<int32_t>(Stream.GetBits(16));
        OwnCrc = TCrc16();
        CrcAccumulator()->AddBits(h & 0xFFFF, 16);
    }
    return true;
}

bool THeader::SeekToFrame(TBitStream& Stream, int32_t Frame)
{
    if (Stream.Seek(Stream.DataStart, 0) < 0) {
        return false;
    }
    Stream.FrameIndex = -1;
    for (int32_t i = 0; i <= std::max(Frame, 0); ++i) {
        if (!ReadHeader(Stream, nullptr)) {
            return false;
        }
    }
    return true;
}

int32_t THeader::MaxNumberOfFrames(const TBitStream& Stream) const
{
    const int32_t divisor = FirstFrameSize + 4 - PaddingBit;
    return divisor > 0 ? (Stream.Size - Stream.DataStart) / divisor : 0;
}

int32_t THeader::MinNumberOfFrames(const TBitStream& Stream) const
{
    const int32_t divisor = FirstFrameSize + 5 - PaddingBit;
    return divisor > 0 ? (Stream.Size - Stream.DataStart) / divisor : 0;
}

double THeader::MsPerFrame() const
{
    if (Layer < 1 || Layer > 3 || SampleFrequency > 2) {
        return 0.0;
    }
    // Layer I and II frames hold as many samples at half the rate in MPEG-2: they last twice as long.
    const double factor = Version == 0 && Layer < 3 ? 2.0 : 1.0;
    return FrameDurationTable[Layer - 1][SampleFrequency] * factor;
}

float THeader::TotalMs(const TBitStream& Stream) const
{
    return static_cast<float>(MaxNumberOfFrames(Stream) * MsPerFrame());
}

int32_t THeader::BitrateKbps() const
{
    const std::string text = BitrateText(Version, Layer, BitrateIndex);
    const size_t blank = text.find(' ');
    // The number must stand before a blank that is at least the text's second character.
    if (blank == std::string::npos || blank < 1) {
        return 0;
    }
    try {
        size_t used = 0;
        const int32_t value = std::stoi(text.substr(0, blank), &used);
        return used == blank ? value : 0;
    } catch (...) {
        return 0;
    }
}
