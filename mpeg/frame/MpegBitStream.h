#pragma once
// MPEG audio frames in a block of memory: finds frame headers and hands out the
// bits of the current frame's body.

#include <cstdint>

class TBitStream {
public:
    static constexpr int32_t BufferWords = 433;                // words of the largest frame body
    static constexpr int32_t MaxFrameBytes = BufferWords * 4;  // 1732 bytes
    static constexpr int32_t SearchWindow = 16384;             // bytes searched for the first header
    static constexpr int MaxBits = 17;                         // widest GetBits request

    // The block is not owned and must outlive the stream. Leading ID3v2 tags are skipped.
    TBitStream(const uint8_t* Memory, int32_t Size);

    // Copies up to Count bytes from the read position; false when nothing was copied.
    bool ReadRaw(void* Dest, int32_t Count, int32_t& Got);
    // Origin 0: from the start, 1: from Position, 2: from the end. A target outside
    // the block is refused with -1; otherwise the new position is returned.
    int32_t Seek(int32_t Offset, int Origin);
    // Finds the next header candidate from Position and leaves Position behind its
    // 4 bytes. Unsynced: any plausible sync (first header); synced: only headers
    // matching the first one's sync pattern.
    bool GetHeader(uint32_t& HeaderWord, bool Synced);
    // Remembers the masked first header that later headers must match.
    void SetSyncPattern(uint32_t HeaderWord);
    // Reads the next Count bytes as the current frame body.
    bool ReadFrame(int32_t Count);
    // The next N bits (0..17) of the frame body, most significant first. Reads past
    // the body's buffer give zero bits.
    uint32_t GetBits(int N);
    // The next 64 bits of the frame body, the next one at the top, without taking
    // them (zero bits past the buffer, as GetBits gives them).
    uint64_t PeekBits64() const;
    // Takes N bits (0..64), as GetBits calls for them in total would.
    void SkipBits(int N);
    // Copies the next Count bytes of the frame body to Dest and takes them, as Count
    // calls of GetBits(8) would give them.
    void ReadBytes(uint8_t* Dest, int32_t Count);
    // Byte Index of the current frame body in stream order (0 beyond the buffer).
    uint8_t FrameByte(int32_t Index) const;

    const uint8_t* Data = nullptr;  // the stream's bytes (not owned)
    int32_t Size = 0;               // length of Data in bytes
    int32_t Position = 0;           // read position in Data
    int32_t TagsEnd = 0;            // offset behind the leading ID3v2 tags; the search window starts here
    int32_t DataStart = 0;          // offset of the first frame header found
    int32_t FrameIndex = -1;        // number of the current frame from the first header; -1 before it
    uint32_t SyncPattern = 0;       // masked first header word: sync, version, sampling frequency, mode
    bool SingleChannel = false;     // the first header's mode is single channel
    bool RiffWrapper = false;       // a "RIFF" tag was met: frames start only in its "data" chunk
    int32_t RiffDataOffset = -1;    // offset of the "data" chunk tag, -1 until met
    int32_t BodyOffset = 0;         // offset in Data of the current frame body
    int32_t BodyBytes = 0;          // bytes of the body that ReadFrame found

private:
    void AdvanceWord();

    // The current frame body as big-endian words; the three words past the last
    // stay zero so that bit reads beyond a body never leave the array.
    uint32_t Buffer[BufferWords + 3] = {};
    int32_t WordPointer = 0;  // word holding the next bit
    int BitIndex = 0;         // bits of that word already handed out (0..31)
};

// Inline: the subband and Huffman decoders ask for a few bits at a time, many
// times per frame.
inline void TBitStream::AdvanceWord()
{
    if (WordPointer < BufferWords) {
        ++WordPointer;
    }
}

inline uint32_t TBitStream::GetBits(int N)
{
    if (N <= 0) {
        return 0;
    }
    if (N > MaxBits) {
        N = MaxBits;
    }
    const int end = BitIndex + N;
    const uint64_t pair = (static_cast<uint64_t>(Buffer[WordPointer]) << 32) | Buffer[WordPointer + 1];
    const uint32_t value = static_cast<uint32_t>(pair >> (64 - end)) & ((1u << N) - 1);
    if (end >= 32) {
        AdvanceWord();
        BitIndex = end - 32;
    } else {
        BitIndex = end;
    }
    return value;
}

inline uint64_t TBitStream::PeekBits64() const
{
    const uint64_t high = (static_cast<uint64_t>(Buffer[WordPointer]) << 32) | Buffer[WordPointer + 1];
    if (BitIndex == 0) {
        return high;
    }
    return (high << BitIndex) | (Buffer[WordPointer + 2] >> (32 - BitIndex));
}

inline void TBitStream::SkipBits(int N)
{
    const int end = BitIndex + N;
    const int32_t word = WordPointer + (end >> 5);
    // Past the buffer every bit reads as zero, wherever in it the position stays.
    WordPointer = word < BufferWords ? word : BufferWords;
    BitIndex = end & 31;
}
