#pragma once
// Writes bit fields most significant bit first, to build frame bodies, reservoir
// contents and whole streams by hand.

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitWriter {
public:
    void Put(uint32_t Value, int Count)
    {
        for (int Bit = Count - 1; Bit >= 0; --Bit) {
            if (BitCount % 8 == 0) {
                Bytes.push_back(0);
            }
            if ((Value >> Bit) & 1) {
                Bytes.back() |= static_cast<uint8_t>(0x80 >> (BitCount % 8));
            }
            ++BitCount;
        }
    }
    // Pads with zero bits to Size bytes.
    void PadTo(size_t Size)
    {
        while (Bytes.size() < Size) {
            Bytes.push_back(0);
        }
        BitCount = static_cast<int>(Bytes.size()) * 8;
    }
    // Hands the bytes to anything that takes them one at a time (a bit reservoir).
    template <typename TSink> void CopyTo(TSink& Sink) const
    {
        for (uint8_t Byte : Bytes) {
            Sink.PutByte(Byte);
        }
    }

    std::vector<uint8_t> Bytes;  // the bits written, the last byte zero-padded
    int BitCount = 0;            // bits written
};
