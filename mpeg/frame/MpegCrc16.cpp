#include "mpeg/frame/MpegCrc16.h"

namespace {
constexpr uint16_t Polynomial = 0x8005;
}

void TCrc16::AddBits(uint32_t Bits, int Count)
{
    for (int bit = Count - 1; bit >= 0; --bit) {
        const bool carry = ((Register & 0x8000) != 0) != (((Bits >> bit) & 1) != 0);
        Register = static_cast<uint16_t>(Register << 1);
        if (carry) {
            Register ^= Polynomial;
        }
    }
}
