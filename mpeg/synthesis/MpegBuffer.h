#pragma once
// Collects the 16-bit PCM of one or two channels, interleaved, until it is read.

#include <emmintrin.h>

#include <bit>
#include <cstdint>
#include <cstring>

class TBuffer {
public:
    static constexpr int32_t Capacity = 9216;  // bytes: one to four frames, whatever the layer

    explicit TBuffer(int ChannelCount);

    // Stores Value, clipped to 16 bits, as the channel's next sample. A write that
    // would pass the capacity is dropped.
    void Append(int Channel, int32_t Value)
    {
        if (Channel < 0 || Channel > 1 || Channel >= ChannelCount) {
            return;
        }
        int32_t& offset = WriteOffset[Channel];
        if (offset > Capacity - 2) {
            return;
        }
        if (Value > 32767) {
            Value = 32767;
        }
        if (Value < -32768) {
            Value = -32768;
        }
        Data[offset] = static_cast<uint8_t>(Value);
        Data[offset + 1] = static_cast<uint8_t>(static_cast<uint32_t>(Value) >> 8);
        offset += 2 * ChannelCount;
        BytesWritten += 2;
    }
    // Stores Count 16-bit values as the channel's next samples, the same as Count
    // calls of Append (those past the capacity are dropped), with one check of room.
    void Append(int Channel, const int16_t* Values, int Count)
    {
        if (Channel < 0 || Channel > 1 || Channel >= ChannelCount || Count <= 0) {
            return;
        }
        const int32_t stride = 2 * ChannelCount;
        const int32_t offset = WriteOffset[Channel];
        // stride is 2 << (ChannelCount - 1): the shift divides by it.
        const int32_t room = offset > Capacity - 2 ? 0 : ((Capacity - 2 - offset) >> ChannelCount) + 1;
        const int32_t stored = Count < room ? Count : room;
        uint8_t* out = Data + offset;
        int32_t i = 0;
        if constexpr (std::endian::native == std::endian::little) {
            if (ChannelCount == 1) {
                std::memcpy(out, Values, 2 * static_cast<size_t>(stored));
                i = stored;
            } else {
                // Four frames at a time: the other channel's halves are stored back as
                // they were. A frame starts 2 bytes before channel 1's sample.
                uint8_t* frames = out - 2 * Channel;
                const __m128i ours = _mm_set1_epi32(Channel == 0 ? 0x0000FFFF : static_cast<int>(0xFFFF0000u));
                for (; i + 4 <= stored; i += 4, out += 16, frames += 16) {
                    const __m128i values = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Values + i));
                    const __m128i placed = Channel == 0 ? _mm_unpacklo_epi16(values, _mm_setzero_si128())
                                                        : _mm_unpacklo_epi16(_mm_setzero_si128(), values);
                    const __m128i kept = _mm_andnot_si128(ours, _mm_loadu_si128(reinterpret_cast<__m128i*>(frames)));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(frames), _mm_or_si128(kept, placed));
                }
            }
        }
        for (; i < stored; ++i, out += stride) {
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(out, Values + i, 2);  // one 16-bit store
            } else {
                const uint16_t value = static_cast<uint16_t>(Values[i]);
                out[0] = static_cast<uint8_t>(value);
                out[1] = static_cast<uint8_t>(value >> 8);
            }
        }
        WriteOffset[Channel] = offset + stored * stride;
        BytesWritten += 2 * stored;
    }
    // Copies up to Size bytes not yet read; the buffer starts over when drained.
    int32_t Read(void* Dest, int32_t Size);
    void Clear();
    int32_t BytesHeld() const { return BytesWritten - ReadPosition; }

    int32_t WriteOffset[2] = {};  // byte offset of each channel's next sample
    uint8_t Data[Capacity] = {};  // signed 16-bit little-endian samples
    int ChannelCount = 1;         // 1 or 2
    int32_t BytesWritten = 0;     // bytes appended since the last Clear
    int32_t ReadPosition = 0;     // bytes read since the last Clear
};
