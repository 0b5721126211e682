#include "mpeg/MpegBitReserve.h"

void TBitReserve::PutByte(uint32_t Value)
{
    Ring[WriteIndex] = static_cast<uint8_t>(Value);
    WriteIndex = (WriteIndex + 1) % Size;
}

uint32_t TBitReserve::PeekBits(int N) const
{
    if (N <= 0)
        return 0;
    // Four bytes from the byte holding the next bit cover any 24-bit request.
    const uint32_t Byte = ReadBit >> 3;
    const uint32_t Window = uint32_t(Ring[Byte]) << 24 | uint32_t(Ring[(Byte + 1) % Size]) << 16 |
                            uint32_t(Ring[(Byte + 2) % Size]) << 8 | uint32_t(Ring[(Byte + 3) % Size]);
    return (Window << (ReadBit & 7)) >> (32 - N);
}

uint32_t TBitReserve::ReadBits(int N)
{
    if (N <= 0)
        return 0;
    uint32_t Value = 0;
    if (N > 24) {
        Value = PeekBits(16) << (N - 16);
        ReadBit = (ReadBit + 16) & BitMask;
        TotalBits += 16;
        N -= 16;
    }
    Value |= PeekBits(N);
    ReadBit = (ReadBit + N) & BitMask;
    TotalBits += N;
    return Value;
}

void TBitReserve::RewindBits(int32_t N)
{
    ReadBit = (ReadBit - uint32_t(N)) & BitMask;
    TotalBits -= N;
}

void TBitReserve::RewindBytes(int32_t N)
{
    RewindBits(N * 8);
}
