#include "platform/PlatformStream.h"

#include <algorithm>
#include <cstring>

int32_t TMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || Pos >= Size()) {
        return 0;
    }
    int64_t n = std::min<int64_t>(Count, Size() - Pos);
    std::memcpy(Buffer, Data.data() + Pos, static_cast<size_t>(n));
    Pos += n;
    return static_cast<int32_t>(n);
}

int64_t TMemoryStream::SetPosition(int64_t Position)
{
    Pos = std::clamp<int64_t>(Position, 0, Size());
    return Pos;
}
