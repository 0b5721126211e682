// The MPEG decoder front end over arbitrary bytes, read to the end in the
// loader's 16384-byte steps (create, open, start, information, reads, stop,
// free).
//
// Bound: every frame the decoder reads takes at least a frame header's bytes
// from the input, so the reads end with the input; the cap on reads only
// guards against a decoder that stops advancing (at the smallest frames,
// 24 bytes for 4608 bytes of PCM, one read takes about 86 input bytes, so
// the cap is far above what any input of -max_len can legitimately need).

#include <cstring>
#include <vector>

#include "fuzz/FuzzHarnesses.h"
#include "mpeg/MpegFrontEnd.h"

namespace {

constexpr int32_t ReadChunkBytes = 16384;
constexpr size_t MaxReadsPerInputByte = 1;
constexpr size_t MinReads = 64;

}  // namespace

int FuzzMpeg(const uint8_t* Data, size_t Size)
{
    TMpegHandle* handle = MpegCreate(nullptr, 0);
    if (!IsMpegHandle(handle)) {
        return 0;
    }
    MpegOpen(handle, "xxx", Data, static_cast<int32_t>(Size));
    MpegStart(handle);
    TMpegInfo info;
    std::memset(&info, 0, sizeof info);
    MpegGetInfo(handle, info);
    std::vector<uint8_t> chunk(ReadChunkBytes);
    const size_t maxReads = MinReads + Size * MaxReadsPerInputByte;
    for (size_t reads = 0; reads < maxReads; ++reads) {
        if (MpegRead(handle, chunk.data(), ReadChunkBytes) != ReadChunkBytes) {
            break;
        }
    }
    MpegStop(handle);
    MpegFree(handle);
    return 0;
}
