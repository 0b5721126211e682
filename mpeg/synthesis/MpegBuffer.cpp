#include "mpeg/synthesis/MpegBuffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int ChannelCount) : ChannelCount(std::clamp(ChannelCount, 1, 2))
{
    Clear();
}

int32_t TBuffer::Read(void* Dest, int32_t Size)
{
    const int32_t count = std::clamp(BytesHeld(), 0, std::max(Size, 0));
    if (count > 0) {
        std::memcpy(Dest, Data + ReadPosition, static_cast<size_t>(count));
    }
    ReadPosition += count;
    if (ReadPosition == BytesWritten) {
        Clear();
    }
    return count;
}

void TBuffer::Clear()
{
    BytesWritten = 0;
    ReadPosition = 0;
    for (int channel = 0; channel < 2; ++channel) {
        WriteOffset[channel] = 2 * channel;
    }
}
