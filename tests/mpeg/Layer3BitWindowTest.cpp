#include <gtest/gtest.h>

#include <memory>

#include "mpeg/layer3/MpegBitReserve.h"

// The Huffman stage reads up to 57 bits at once from any bit position: near the
// ring's end they continue at its start, and the latest bytes written there count.
TEST(Layer3BitWindow, WindowContinuesAcrossTheRingEnd)
{
    auto reservoir = std::make_unique<TBitReserve>();
    // Ring byte i holds i mod 251 at first; then eight more bytes overwrite the ring's start.
    for (int32_t i = 0; i < TBitReserve::Size; ++i) {
        reservoir->PutByte(static_cast<uint32_t>(i % 251));
    }
    for (uint32_t i = 0; i < 8; ++i) {
        reservoir->PutByte(0xA0 + i);
    }
    auto ringByte = [](int32_t Index) -> uint64_t {
        Index %= TBitReserve::Size;
        return Index < 8 ? 0xA0 + Index : Index % 251;
    };
    for (int32_t i = 0; i < TBitReserve::Size - 12; ++i) {
        reservoir->SkipBits(8);
    }
    for (int32_t bit = 0; bit < 12 * 8; ++bit) {
        SCOPED_TRACE(bit);
        // The expected window from the ring's bytes, one bit at a time.
        uint64_t expected = 0;
        const int32_t first = 8 * (TBitReserve::Size - 12) + bit;
        for (int i = 0; i < TBitReserve::WindowBits; ++i) {
            const int32_t at = first + i;
            expected |= ((ringByte(at / 8) >> (7 - at % 8)) & 1) << (63 - i);
        }
        const uint64_t validMask = ~static_cast<uint64_t>(0) << (64 - TBitReserve::WindowBits);
        ASSERT_EQ(reservoir->PeekWindow() & validMask, expected);
        reservoir->SkipBits(1);
    }
}
