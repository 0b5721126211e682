#include <gtest/gtest.h>

#include <memory>

#include "mpeg/layer3/MpegBitReserve.h"

// The Huffman stage reads up to 57 bits at once from any bit position: near the
// ring's end they continue at its start, and the latest bytes written there count.
TEST(Layer3BitWindow, WindowContinuesAcrossTheRingEnd)
{
    auto Reservoir = std::make_unique<TBitReserve>();
    // Ring byte i holds i mod 251 at first; then eight more bytes overwrite the ring's start.
    for (int32_t i = 0; i < TBitReserve::Size; ++i)
        Reservoir->PutByte(static_cast<uint32_t>(i % 251));
    for (uint32_t i = 0; i < 8; ++i)
        Reservoir->PutByte(0xA0 + i);
    auto RingByte = [](int32_t Index) -> uint64_t {
        Index %= TBitReserve::Size;
        return Index < 8 ? 0xA0 + Index : Index % 251;
    };
    for (int32_t i = 0; i < TBitReserve::Size - 12; ++i)
        Reservoir->SkipBits(8);
    for (int32_t Bit = 0; Bit < 12 * 8; ++Bit) {
        SCOPED_TRACE(Bit);
        // The expected window from the ring's bytes, one bit at a time.
        uint64_t Expected = 0;
        const int32_t First = 8 * (TBitReserve::Size - 12) + Bit;
        for (int I = 0; I < TBitReserve::WindowBits; ++I) {
            const int32_t At = First + I;
            Expected |= ((RingByte(At / 8) >> (7 - At % 8)) & 1) << (63 - I);
        }
        const uint64_t ValidMask = ~uint64_t(0) << (64 - TBitReserve::WindowBits);
        ASSERT_EQ(Reservoir->PeekWindow() & ValidMask, Expected);
        Reservoir->SkipBits(1);
    }
}
