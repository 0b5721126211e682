#pragma once
// The Layer III bit reservoir: main data of successive frames is appended byte by
// byte and read back bit by bit, possibly from frames before the current one.

#include <bit>
#include <cstdint>
#include <cstring>

class TBitReserve {
public:
    static constexpr int32_t Size = 4096;  // bytes in the ring; indices wrap modulo this
    static constexpr int WindowBits = 57;  // valid bits of PeekWindow (64 less a partly read byte)

    // Appends one byte at the write index (the ring overwrites its oldest byte).
    void PutByte(uint32_t Value);
    // Appends Count bytes, as Count calls of PutByte would.
    void PutBytes(const uint8_t* Bytes, int32_t Count);
    // The next N bits (0..32), most significant first, crossing bytes as needed.
    uint32_t ReadBits(int N);
    // The next N bits (0..32) without consuming them.
    uint32_t PeekBits(int N) const
    {
        if (N <= 0) {
            return 0;
        }
        return static_cast<uint32_t>(PeekWindow() >> (64 - (N < 32 ? N : 32)));
    }
    // The next bits, the next one at the top: at least WindowBits of them are valid.
    uint64_t PeekWindow() const
    {
        // Eight bytes from the byte holding the next bit; the mirror behind the ring
        // saves wrapping each of them.
        uint64_t window;
        std::memcpy(&window, Ring + (ReadBit >> 3), sizeof window);
        if constexpr (std::endian::native == std::endian::little) {
            window = __builtin_bswap64(window);
        }
        return window << (ReadBit & 7);
    }
    // Consumes N bits (0..WindowBits) already looked at.
    void SkipBits(int N)
    {
        ReadBit = (ReadBit + static_cast<uint32_t>(N)) & BitMask;
        TotalBits += N;
    }
    // Moves the read position back by N bits or N whole bytes.
    void RewindBits(int32_t N);
    void RewindBytes(int32_t N);
    // Bits read so far, less the bits rewound.
    int32_t BitsRead() const { return TotalBits; }

private:
    static constexpr uint32_t BitMask = Size * 8 - 1;

    static constexpr int32_t Mirror = 7;  // ring bytes repeated behind its end, for PeekWindow

    uint8_t Ring[Size + Mirror] = {};  // the stored main data, its first bytes repeated at the end
    uint32_t WriteIndex = 0;           // byte that the next PutByte fills (0..Size-1)
    uint32_t ReadBit = 0;              // ring bit position of the next bit to read (0..Size*8-1)
    int32_t TotalBits = 0;             // BitsRead
};
