#include "mpeg/layer3/MpegBitReserve.h"

void TBitReserve::PutByte(uint32_t Value)
{
    Ring[WriteIndex] = static_cast<uint8_t>(Value);
    if (WriteIndex < Mirror)
        Ring[Size + WriteIndex] = static_cast<uint8_t>(Value);
    WriteIndex = (WriteIndex + 1) % Size;
}

uint32_t TBitReserve::ReadBits(int N)
{
    if (N <= 0)
        return 0;
    N = N > 32 ? 32 : N;
    const uint32_t value = static_cast<uint32_t>(PeekWindow() >> (64 - N));
    SkipBits(N);
    return value;
}

void TBitReserve::RewindBits(int32_t N)
{
    ReadBit = (ReadBit - static_cast<uint32_t>(N)) & BitMask;
    TotalBits -= N;
}

void TBitReserve::RewindBytes(int32_t N)
{
    RewindBits(N * 8);
}
