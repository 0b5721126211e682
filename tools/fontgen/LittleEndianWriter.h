#pragma once
// Builds a byte image of little-endian fields; fields whose value is known only
// later are patched in place.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

class TLittleEndianWriter {
public:
    size_t Size() const { return Bytes.size(); }
    const std::vector<uint8_t>& Data() const { return Bytes; }

    void U8(uint32_t Value) { Bytes.push_back(static_cast<uint8_t>(Checked(Value, 0xFF))); }
    void U16(uint32_t Value) { Put(Value, 2, 0xFFFF); }
    void U32(uint32_t Value) { Put(Value, 4, 0xFFFFFFFF); }
    void Append(std::span<const uint8_t> More) { Bytes.insert(Bytes.end(), More.begin(), More.end()); }
    void Text(std::string_view Chars) { Bytes.insert(Bytes.end(), Chars.begin(), Chars.end()); }
    void Zeros(size_t Count) { Bytes.insert(Bytes.end(), Count, 0); }
    void PadTo(size_t Multiple) { Zeros((Multiple - Bytes.size() % Multiple) % Multiple); }

    void PatchU16(size_t At, uint32_t Value) { Patch(At, Value, 2, 0xFFFF); }
    void PatchU32(size_t At, uint32_t Value) { Patch(At, Value, 4, 0xFFFFFFFF); }

private:
    static uint32_t Checked(uint64_t Value, uint64_t Max)
    {
        // A value that does not fit its field would silently corrupt the file.
        if (Value > Max) {
            throw std::out_of_range("value does not fit its field");
        }
        return static_cast<uint32_t>(Value);
    }
    void Put(uint64_t Value, int Count, uint64_t Max)
    {
        Bytes.resize(Bytes.size() + static_cast<size_t>(Count));
        Patch(Bytes.size() - static_cast<size_t>(Count), Value, Count, Max);
    }
    void Patch(size_t At, uint64_t Value, int Count, uint64_t Max)
    {
        const uint32_t field = Checked(Value, Max);
        if (At + static_cast<size_t>(Count) > Bytes.size()) {
            throw std::out_of_range("patched field outside the image");
        }
        for (int i = 0; i < Count; ++i) {
            Bytes[At + static_cast<size_t>(i)] = static_cast<uint8_t>(field >> (8 * i));
        }
    }

    std::vector<uint8_t> Bytes;
};
