#include "module/LoadCompressed.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "module/LoadLog.h"
#include "mpeg/MpegFrontEnd.h"
#include "player/DmfNumbers.h"
#include "player/DmfSample.h"

namespace {

constexpr int32_t ReadChunkBytes = 16384;
// The play time is an estimate from untrusted data: reserve no more than this up
// front and let the PCM area grow with what is really decoded.
constexpr int64_t MaxReservedBytes = 64 << 20;
constexpr int TagTitleStart = 3;
// Length is a signed 32-bit byte count and the allocation adds the guard bytes
// to it: a stream that decodes to more (tens of megabytes of low-rate frames
// can) keeps only what fits.
constexpr size_t MaxPcmBytes = std::numeric_limits<int32_t>::max() - 2 * SampleGuardBytes;

// Frees the decoder handle on every way out.
class THandleOwner {
public:
    explicit THandleOwner(TMpegHandle* Handle) : Handle(Handle) { }
    ~THandleOwner()
    {
        MpegStop(Handle);
        MpegFree(Handle);
    }
    THandleOwner(const THandleOwner&) = delete;
    THandleOwner& operator=(const THandleOwner&) = delete;

    TMpegHandle* Handle;  // the handle owned
};

}  // namespace

void DecodeCompressedSample(const uint8_t* Bytes, int32_t Count, TSample& Sample, int32_t Wanted)
{
    // Past Wanted nothing is played; the chunk beyond keeps the PCM just after
    // the played part as a full decode has it.
    const size_t limit = std::min<size_t>(MaxPcmBytes, static_cast<size_t>(std::max(Wanted, 0)) + ReadChunkBytes);
    Sample.SetEmpty(true);
    if (Bytes && Count > 0) {
        Sample.CompressedData.assign(Bytes, Bytes + Count);
    }
    Sample.CompressedSize = static_cast<int32_t>(Sample.CompressedData.size());
    Sample.Compressed = true;

    TMpegHandle* handle = MpegCreate(nullptr, 0);
    if (!IsMpegHandle(handle)) {
        DebugLog(" MPEG sample not decoded: no decoder handle");
        return;
    }
    THandleOwner owner(handle);
    MpegOpen(handle, "xxx", Sample.CompressedData.data(), Sample.CompressedSize);
    MpegStart(handle);
    TMpegInfo info;
    std::memset(&info, 0, sizeof info);
    MpegGetInfo(handle, info);

    Sample.Stereo = info.Mode != 3;
    Sample.Rate = info.Frequency;
    Sample.Is16Bit = true;
    Sample.Looped = false;
    Sample.Volume = 255;
    Sample.LoopStart = 0;
    Sample.LoopEnd = 0;
    Sample.Enabled = true;
    Sample.Empty = false;

    const int64_t estimate = RoundHalfEven(info.Frequency / 1000.0 * (Sample.Stereo ? 4.0 : 2.0) * info.TotalMs);
    std::vector<uint8_t> pcm;
    pcm.reserve(std::min(static_cast<size_t>(std::clamp<int64_t>(estimate, 0, MaxReservedBytes)), limit));
    std::vector<uint8_t> chunk(ReadChunkBytes);
    int32_t got;
    do {
        got = MpegRead(handle, chunk.data(), ReadChunkBytes);
        if (got < 0) {
            break;
        }
        const size_t room = limit - pcm.size();
        const size_t kept = std::min(static_cast<size_t>(got), room);
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(kept));
        if (kept == room) {
            break;
        }
    } while (got == ReadChunkBytes);

    Sample.Name.clear();
    const char* title = reinterpret_cast<const char*>(info.Tag + TagTitleStart);
    Sample.SetName(std::string(title, strnlen(title, MaxSampleName)));

    Sample.Length = static_cast<int32_t>(pcm.size());
    std::copy(pcm.begin(), pcm.end(), Sample.Allocate(Sample.Length));
}
