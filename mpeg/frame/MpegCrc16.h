#pragma once
// CRC-16 of protected MPEG audio frames (polynomial 0x8005, start value 0xFFFF).
// Kept as the decoder's interface names it: the header feeds it the protected
// header bits, the Layer I/II readers the allocation fields when one is given
// (the front end gives none), and nothing compares the result: the check word
// is only consumed so that the following fields start on the right bit.

#include <cstdint>

class TCrc16 {
public:
    TCrc16() = default;

    // Feeds the Count low bits of Bits into the register, most significant first.
    void AddBits(uint32_t Bits, int Count);
    uint16_t Checksum() const { return Register; }

private:
    uint16_t Register = 0xFFFF;  // running remainder
};
