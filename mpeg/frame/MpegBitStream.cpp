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
    if (Bytes[0] != 0xFF || (Bytes[1] & 0xF0) != 0xF0) {
        return false;
    }
    if (Bytes[1] != 0xFF) {
        return true;
    }
    const int bitrateIndex = Bytes[2] >> 4;
    const int frequencyIndex = (Bytes[2] >> 2) & 3;
    return bitrateIndex != 0 && bitrateIndex != 15 && frequencyIndex != 3;
}

}  // namespace

TBitStream::TBitStream(const uint8_t* Memory, int32_t Size) : Data(Memory), Size(Memory ? std::max(Size, 0) : 0)
{
    // ID3v2 tags: "ID3", version, flags, then a size of 4 bytes of 7 bits each.
    while (Position <= this->Size - Id3HeaderBytes && HasTag(Data + Position, "ID3")) {
        const uint8_t* tag = Data + Position;
        const int64_t tagSize = (static_cast<int64_t>(tag[6] & 0x7F) << 21) |
                                (static_cast<int64_t>(tag[7] & 0x7F) << 14) |
                                (static_cast<int64_t>(tag[8] & 0x7F) << 7) | static_cast<int64_t>(tag[9] & 0x7F);
        Position = static_cast<int32_t>(std::min<int64_t>(Position + Id3HeaderBytes + tagSize, this->Size));
    }
    TagsEnd = Position;
    DataStart = Position;
}

bool TBitStream::ReadRaw(void* Dest, int32_t Count, int32_t& Got)
{
    Got = std::clamp(Size - Position, 0, std::max(Count, 0));
    if (Got > 0) {
        std::memcpy(Dest, Data + Position, static_cast<size_t>(Got));
    }
    Position += Got;
    return Got > 0;
}

int32_t TBitStream::Seek(int32_t Offset, int Origin)
{
    int64_t base = 0;
    if (Origin == 1) {
        base = Position;
    } else if (Origin == 2) {
        base = Size;
    }
    const int64_t target = base + Offset;
    if (target < 0 || target > Size) {
        return -1;
    }
    Position = static_cast<int32_t>(target);
    return Position;
}

bool TBitStream::GetHeader(uint32_t& HeaderWord, bool Synced)
{
    for (;;) {
        if (!Synced && Position - TagsEnd > SearchWindow) {
            return false;
        }
        if (Position < 0 || Size - Position < 4) {
            return false;
        }
        const uint8_t* bytes = Data + Position;
        bool candidate;
        if (!Synced) {
            if (HasTag(bytes, "RIFF")) {
                RiffWrapper = true;
            }
            if (RiffWrapper && RiffDataOffset < 0 && HasTag(bytes, "data")) {
                RiffDataOffset = Position;
            }
            candidate = PlausibleFirstSync(bytes) &&
                        (!RiffWrapper || (RiffDataOffset >= 0 && Position >= RiffDataOffset + RiffChunkHeaderBytes));
        } else {
            const bool mono = (bytes[3] >> 6) == 3;
            candidate = bytes[0] == static_cast<uint8_t>(SyncPattern >> 24) &&
                        (bytes[1] & 0xF8) == (static_cast<uint8_t>(SyncPattern >> 16) & 0xF8) &&
                        (bytes[2] & 0x0C) == (static_cast<uint8_t>(SyncPattern >> 8) & 0x0C) && mono == SingleChannel;
        }
        if (!candidate) {
            ++Position;
            continue;
        }
        if (!Synced) {
            DataStart = Position;
        }
        HeaderWord = (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
                     (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
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
    if (Count < 0 || Count > MaxFrameBytes) {
        return false;
    }
    const int32_t got = std::clamp(Size - Position, 0, Count);
    const uint8_t* bytes = Data + Position;
    const int32_t wholeWords = got / 4;
    for (int32_t w = 0; w < wholeWords; ++w, bytes += 4) {
        Buffer[w] = (static_cast<uint32_t>(bytes[0]) << 24) | (static_cast<uint32_t>(bytes[1]) << 16) |
                    (static_cast<uint32_t>(bytes[2]) << 8) | bytes[3];
    }
    if (got % 4 != 0) {
        // A body that ends inside a word: zeros behind its last byte, not stale bytes.
        uint32_t last = 0;
        for (int32_t i = 0; i < got % 4; ++i) {
            last |= static_cast<uint32_t>(bytes[i]) << (24 - 8 * i);
        }
        Buffer[wholeWords] = last;
    }
    BodyOffset = Position;
    BodyBytes = got;
    Position += got;
    WordPointer = 0;
    BitIndex = 0;
    return got == Count;
}

void TBitStream::ReadBytes(uint8_t* Dest, int32_t Count)
{
    if (Count <= 0) {
        return;
    }
    if (BitIndex % 8 != 0 || WordPointer >= BufferWords) {
        for (int32_t i = 0; i < Count; ++i) {
            Dest[i] = static_cast<uint8_t>(GetBits(8));
        }
        return;
    }
    // On a byte boundary: the body's bytes as they stand in the stream, then what
    // the buffer holds past them.
    const int32_t first = 4 * WordPointer + BitIndex / 8;
    const int32_t fromBody = std::clamp(BodyBytes - first, 0, Count);
    if (fromBody > 0) {
        std::memcpy(Dest, Data + BodyOffset + first, static_cast<size_t>(fromBody));
    }
    for (int32_t i = fromBody; i < Count; ++i) {
        Dest[i] = FrameByte(first + i);
    }
    for (int32_t taken = 0; taken < Count; taken += 8) {
        SkipBits(8 * std::min(Count - taken, 8));
    }
}

uint8_t TBitStream::FrameByte(int32_t Index) const
{
    if (Index < 0 || Index >= MaxFrameBytes) {
        return 0;
    }
    return static_cast<uint8_t>(Buffer[Index >> 2] >> (24 - 8 * (Index & 3)));
}
