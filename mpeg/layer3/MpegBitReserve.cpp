#include "mpeg/layer3/MpegBitReserve.h"

#include <algorithm>
#include <cstring>

void TBitReserve::PutByte(uint32_t Value)
{
    Ring[WriteIndex] = static_cast<uint8_t>(Value);
    if (WriteIndex < Mirror) {
        Ring[Size + WriteIndex] = static_cast<uint8_t>(Value);
    }
    WriteIndex = (WriteIndex + 1) % Size;
}

void TBitReserve::PutBytes(const uint8_t* Bytes, int32_t Count)
{
    while (Count > 0) {
        const int32_t chunk = std::min<int32_t>(Count, Size - static_cast<int32_t>(WriteIndex));
        std::memcpy(Ring + WriteIndex, Bytes, static_cast<size_t>(chunk));
        if (WriteIndex < static_cast<uint32_t>(Mirror)) {
            std::memcpy(Ring + Size + WriteIndex, Ring + WriteIndex,
                        static_cast<size_t>(std::min<int32_t>(chunk, Mirror - static_cast<int32_t>(WriteIndex))));
        }
        WriteIndex = (WriteIndex + static_cast<uint32_t>(chunk)) % Size;
        Bytes += chunk;
        Count -= chunk;
    }
}

uint32_t TBitReserve::ReadBits(int N)
{
    if (N <= 0) {
        return 0;
    }
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
