#pragma once
// The Layer III bit reservoir: main data of successive frames is appended byte by
// byte and read back bit by bit, possibly from frames before the current one.

#include <cstdint>

class TBitReserve {
public:
    static constexpr int32_t Size = 4096;  // bytes in the ring; indices wrap modulo this

    // Appends one byte at the write index (the ring overwrites its oldest byte).
    void PutByte(uint32_t Value);
    // The next N bits (0..32), most significant first, crossing bytes as needed.
    uint32_t ReadBits(int N);
    // The next N bits (0..24) without consuming them.
    uint32_t PeekBits(int N) const
    {
        if (N <= 0)
            return 0;
        // Four bytes from the byte holding the next bit cover any 24-bit request; the
        // mirror behind the ring saves wrapping each of them.
        const uint8_t* At = Ring + (ReadBit >> 3);
        const uint32_t Window = uint32_t(At[0]) << 24 | uint32_t(At[1]) << 16 | uint32_t(At[2]) << 8 | uint32_t(At[3]);
        return (Window << (ReadBit & 7)) >> (32 - N);
    }
    // Consumes N bits (0..24) already looked at with PeekBits.
    void SkipBits(int N)
    {
        ReadBit = (ReadBit + uint32_t(N)) & BitMask;
        TotalBits += N;
    }
    // Moves the read position back by N bits or N whole bytes.
    void RewindBits(int32_t N);
    void RewindBytes(int32_t N);
    // Bits read so far, less the bits rewound.
    int32_t BitsRead() const { return TotalBits; }

private:
    static constexpr uint32_t BitMask = Size * 8 - 1;

    static constexpr int32_t Mirror = 3;  // ring bytes repeated behind its end

    uint8_t Ring[Size + Mirror] = {};  // the stored main data, its first bytes repeated at the end
    uint32_t WriteIndex = 0;    // byte that the next PutByte fills (0..Size-1)
    uint32_t ReadBit = 0;       // ring bit position of the next bit to read (0..Size*8-1)
    int32_t TotalBits = 0;      // BitsRead
};
