#include "module/LoadCompressed.h"

#include "module/LoadLog.h"
#include "player/DmfSample.h"

// The MPEG decoder is not wired in yet: keep the stream, load no PCM.
void DecodeCompressedSample(const uint8_t* Bytes, int32_t Count, TSample& Sample)
{
    Sample.SetEmpty(true);
    if (Bytes && Count > 0) {
        Sample.CompressedData.assign(Bytes, Bytes + Count);
        Sample.CompressedSize = Count;
    }
    Sample.Compressed = true;
    DebugLog(" MPEG sample data not decoded: no decoder in this build");
}
