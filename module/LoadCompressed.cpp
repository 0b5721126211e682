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
    const size_t Limit = std::min<size_t>(MaxPcmBytes, size_t(std::max(Wanted, 0)) + ReadChunkBytes);
    Sample.SetEmpty(true);
    if (Bytes && Count > 0)
        Sample.CompressedData.assign(Bytes, Bytes + Count);
    Sample.CompressedSize = static_cast<int32_t>(Sample.CompressedData.size());
    Sample.Compressed = true;

    TMpegHandle* Handle = MpegCreate(nullptr, 0);
    if (!IsMpegHandle(Handle)) {
        DebugLog(" MPEG sample not decoded: no decoder handle");
        return;
    }
    THandleOwner Owner(Handle);
    MpegOpen(Handle, "xxx", Sample.CompressedData.data(), Sample.CompressedSize);
    MpegStart(Handle);
    TMpegInfo Info;
    std::memset(&Info, 0, sizeof Info);
    MpegGetInfo(Handle, Info);

    Sample.Stereo = Info.Mode != 3;
    Sample.Rate = Info.Frequency;
    Sample.Is16Bit = true;
    Sample.Looped = false;
    Sample.Volume = 255;
    Sample.LoopStart = 0;
    Sample.LoopEnd = 0;
    Sample.Enabled = true;
    Sample.Empty = false;

    const int64_t Estimate = RoundHalfEven(Info.Frequency / 1000.0 * (Sample.Stereo ? 4.0 : 2.0) * Info.TotalMs);
    std::vector<uint8_t> Pcm;
    Pcm.reserve(std::min(size_t(std::clamp<int64_t>(Estimate, 0, MaxReservedBytes)), Limit));
    std::vector<uint8_t> Chunk(ReadChunkBytes);
    int32_t Got;
    do {
        Got = MpegRead(Handle, Chunk.data(), ReadChunkBytes);
        if (Got < 0)
            break;
        const size_t Room = Limit - Pcm.size();
        const size_t Kept = std::min(size_t(Got), Room);
        Pcm.insert(Pcm.end(), Chunk.begin(), Chunk.begin() + static_cast<std::ptrdiff_t>(Kept));
        if (Kept == Room)
            break;
    } while (Got == ReadChunkBytes);

    Sample.Name.clear();
    const char* Title = reinterpret_cast<const char*>(Info.Tag + TagTitleStart);
    Sample.SetName(std::string(Title, strnlen(Title, MaxSampleName)));

    Sample.Length = static_cast<int32_t>(Pcm.size());
    std::copy(Pcm.begin(), Pcm.end(), Sample.Allocate(Sample.Length));
}
