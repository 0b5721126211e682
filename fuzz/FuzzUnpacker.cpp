// The sample unpacker over arbitrary bytes, set up as the sample data reader
// sets it up: the first two bytes give the sample's length in 64-byte units,
// the rest is the packed data, limited to its own size plus one refill.
//
// Bound: at most 65535 * 64 bytes (4 MB) are produced, one tree walk of at
// most 256 levels each, and the input limit ends the decoding with the data:
// the harness fails when more bytes come out than the input can code.

#include <cstdlib>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "module/LoadUnpacker.h"
#include "platform/PlatformStream.h"

namespace {

constexpr size_t LengthBytes = 2;
constexpr int32_t LengthUnit = 64;

}  // namespace

int FuzzUnpacker(const uint8_t* Data, size_t Size)
{
    if (Size < LengthBytes) {
        return 0;
    }
    const int32_t length = (Data[0] | (Data[1] << 8)) * LengthUnit;
    const int32_t stored = static_cast<int32_t>(Size - LengthBytes);
    TMemoryStream stream(std::vector<uint8_t>(Data + LengthBytes, Data + Size));
    const int64_t inputLimit = TSampleUnpacker::InputLimitFor(stored);
    TSampleUnpacker unpacker(stream, inputLimit);
    // Made once at its largest: a fresh 4 MB per input would cost more than the decoding.
    static std::vector<uint8_t> pcm(static_cast<size_t>(UINT16_MAX) * LengthUnit);
    if (unpacker.InitUnpacker() &&
        unpacker.UnpackBytes(pcm.data(), length) > TSampleUnpacker::MaxOutputFor(inputLimit)) {
        std::abort();  // the output must stay bounded by the input
    }
    return 0;
}
