#pragma once
// Collects the 16-bit PCM of one or two channels, interleaved, until it is read.

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
        if (Channel < 0 || Channel > 1 || Channel >= ChannelCount)
            return;
        int32_t& offset = WriteOffset[Channel];
        if (offset > Capacity - 2)
            return;
        if (Value > 32767)
            Value = 32767;
        if (Value < -32768)
            Value = -32768;
        Data[offset] = static_cast<uint8_t>(Value);
        Data[offset + 1] = static_cast<uint8_t>(static_cast<uint32_t>(Value) >> 8);
        offset += 2 * ChannelCount;
        BytesWritten += 2;
    }
    // Stores Count 16-bit values as the channel's next samples, the same as Count
    // calls of Append (those past the capacity are dropped), with one check of room.
    void Append(int Channel, const int16_t* Values, int Count)
    {
        if (Channel < 0 || Channel > 1 || Channel >= ChannelCount || Count <= 0)
            return;
        const int32_t stride = 2 * ChannelCount;
        const int32_t offset = WriteOffset[Channel];
        // stride is 2 << (ChannelCount - 1): the shift divides by it.
        const int32_t room = offset > Capacity - 2 ? 0 : ((Capacity - 2 - offset) >> ChannelCount) + 1;
        const int32_t stored = Count < room ? Count : room;
        uint8_t* out = Data + offset;
        for (int32_t i = 0; i < stored; ++i, out += stride) {
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
