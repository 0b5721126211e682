#include "mpeg/frame/MpegBitStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t Id3HeaderBytes = 10;
constexpr int32_t RiffChunkHeaderBytes = 8;  // chunk tag and length before the chunk's data

bool HasTag(const uint8_t* Bytes, const char* Tag)
{
    return std::memcmp(Bytes, Tag, std::strlen(Tag)) == 0;
}

// A byte pair 0xFF 0xFF is mostly a run of 0xFF; it still starts an MPEG-1 Layer I
// header without CRC when the next byte holds a usable bit rate and frequency.
bool PlausibleFirstSync(const uint8_t* Bytes)
{
    if (Bytes[0] != 0xFF || (Bytes[1] & 0xF0) != 0xF0)
        return false;
    if (Bytes[1] != 0xFF)
        return true;
    const int BitrateIndex = Bytes[2] >> 4;
    const int FrequencyIndex = (Bytes[2] >> 2) & 3;
    return BitrateIndex != 0 && BitrateIndex != 15 && FrequencyIndex != 3;
}

}  // namespace

TBitStream::TBitStream(const uint8_t* Memory, int32_t Size) : Data(Memory), Size(Memory ? std::max(Size, 0) : 0)
{
    // ID3v2 tags: "ID3", version, flags, then a size of 4 bytes of 7 bits each.
    while (Position <= this->Size - Id3HeaderBytes && HasTag(Data + Position, "ID3")) {
        const uint8_t* Tag = Data + Position;
        const int64_t TagSize = (int64_t(Tag[6] & 0x7F) << 21) | (int64_t(Tag[7] & 0x7F) << 14) |
                                (int64_t(Tag[8] & 0x7F) << 7) | int64_t(Tag[9] & 0x7F);
        Position = int32_t(std::min<int64_t>(Position + Id3HeaderBytes + TagSize, this->Size));
    }
    TagsEnd = Position;
    DataStart = Position;
}

bool TBitStream::ReadRaw(void* Dest, int32_t Count, int32_t& Got)
{
    Got = std::clamp(Size - Position, 0, std::max(Count, 0));
    if (Got > 0)
        std::memcpy(Dest, Data + Position, size_t(Got));
    Position += Got;
    return Got > 0;
}

int32_t TBitStream::Seek(int32_t Offset, int Origin)
{
    int64_t Base = 0;
    if (Origin == 1)
        Base = Position;
    else if (Origin == 2)
        Base = Size;
    const int64_t Target = Base + Offset;
    if (Target < 0 || Target > Size)
        return -1;
    Position = int32_t(Target);
    return Position;
}

bool TBitStream::GetHeader(uint32_t& HeaderWord, bool Synced)
{
    for (;;) {
        if (!Synced && Position - TagsEnd > SearchWindow)
            return false;
        if (Position < 0 || Size - Position < 4)
            return false;
        const uint8_t* Bytes = Data + Position;
        bool Candidate;
        if (!Synced) {
            if (HasTag(Bytes, "RIFF"))
                RiffWrapper = true;
            if (RiffWrapper && RiffDataOffset < 0 && HasTag(Bytes, "data"))
                RiffDataOffset = Position;
            Candidate = PlausibleFirstSync(Bytes) &&
                        (!RiffWrapper || (RiffDataOffset >= 0 && Position >= RiffDataOffset + RiffChunkHeaderBytes));
        } else {
            const bool Mono = (Bytes[3] >> 6) == 3;
            Candidate = Bytes[0] == uint8_t(SyncPattern >> 24) &&
                        (Bytes[1] & 0xF8) == (uint8_t(SyncPattern >> 16) & 0xF8) &&
                        (Bytes[2] & 0x0C) == (uint8_t(SyncPattern >> 8) & 0x0C) && Mono == SingleChannel;
        }
        if (!Candidate) {
            ++Position;
            continue;
        }
        if (!Synced)
            DataStart = Position;
        HeaderWord = (uint32_t(Bytes[0]) << 24) | (uint32_t(Bytes[1]) << 16) | (uint32_t(Bytes[2]) << 8) | Bytes[3];
        Position += 4;
        ++FrameIndex;
        return true;
    }
}

void TBitStream::SetSyncPattern(uint32_t HeaderWord)
{
    SyncPattern = HeaderWord;
    SingleChannel = ((HeaderWord >> 6) & 3) == 3;
}

bool TBitStream::ReadFrame(int32_t Count)
{
    if (Count < 0 || Count > MaxFrameBytes)
        return false;
    const int32_t Got = std::clamp(Size - Position, 0, Count);
    const uint8_t* Bytes = Data + Position;
    const int32_t WholeWords = Got / 4;
    for (int32_t W = 0; W < WholeWords; ++W, Bytes += 4)
        Buffer[W] = (uint32_t(Bytes[0]) << 24) | (uint32_t(Bytes[1]) << 16) | (uint32_t(Bytes[2]) << 8) | Bytes[3];
    if (Got % 4 != 0) {
        // A body that ends inside a word: zeros behind its last byte, not stale bytes.
        uint32_t Last = 0;
        for (int32_t I = 0; I < Got % 4; ++I)
            Last |= uint32_t(Bytes[I]) << (24 - 8 * I);
        Buffer[WholeWords] = Last;
    }
    Position += Got;
    WordPointer = 0;
    BitIndex = 0;
    return Got == Count;
}

uint8_t TBitStream::FrameByte(int32_t Index) const
{
    if (Index < 0 || Index >= MaxFrameBytes)
        return 0;
    return uint8_t(Buffer[Index >> 2] >> (24 - 8 * (Index & 3)));
}
