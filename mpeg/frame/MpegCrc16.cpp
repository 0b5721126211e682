#include "mpeg/frame/MpegCrc16.h"

namespace {
constexpr uint16_t Polynomial = 0x8005;
}

void TCrc16::AddBits(uint32_t Bits, int Count)
{
    for (int Bit = Count - 1; Bit >= 0; --Bit) {
        const bool Carry = ((Register & 0x8000) != 0) != (((Bits >> Bit) & 1) != 0);
        Register = static_cast<uint16_t>(Register << 1);
        if (Carry) Register ^= Polynomial;
    }
}
