#include "mpeg/synthesis/MpegBuffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int ChannelCount) : ChannelCount(std::clamp(ChannelCount, 1, 2))
{
    Clear();
}

int32_t TBuffer::Read(void* Dest, int32_t Size)
{
    const int32_t Count = std::clamp(BytesHeld(), 0, std::max(Size, 0));
    if (Count > 0) std::memcpy(Dest, Data + ReadPosition, size_t(Count));
    ReadPosition += Count;
    if (ReadPosition == BytesWritten) Clear();
    return Count;
}

void TBuffer::Clear()
{
    BytesWritten = 0;
    ReadPosition = 0;
    for (int Channel = 0; Channel < 2; ++Channel) WriteOffset[Channel] = 2 * Channel;
}
