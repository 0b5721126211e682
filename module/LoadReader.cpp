#include "module/LoadReader.h"

#include <algorithm>
#include <cstring>

uint8_t TFieldReader::U8()
{
    uint8_t b[1];
    Bytes(b, 1);
    return b[0];
}

uint16_t TFieldReader::U16()
{
    uint8_t b[2];
    Bytes(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

int32_t TFieldReader::I32()
{
    uint8_t b[4];
    Bytes(b, 4);
    const uint32_t v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return static_cast<int32_t>(v);
}

void TFieldReader::Bytes(void* Dest, int32_t Count)
{
    if (Count <= 0) {
        return;
    }
    uint8_t* out = static_cast<uint8_t*>(Dest);
    int32_t got = 0;
    while (got < Count) {
        const int32_t n = Source.Read(out + got, Count - got);
        if (n <= 0) {
            break;
        }
        got += n;
    }
    std::memset(out + got, 0, static_cast<size_t>(Count - got));
}

std::vector<uint8_t> TFieldReader::Available(int64_t Count)
{
    const int64_t n = std::clamp<int64_t>(Count, 0, Remaining());
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    size_t got = 0;
    while (got < bytes.size()) {
        const int32_t chunk = static_cast<int32_t>(std::min<size_t>(bytes.size() - got, 1u << 30));
        const int32_t r = Source.Read(bytes.data() + got, chunk);
        if (r <= 0) {
            break;
        }
        got += static_cast<size_t>(r);
    }
    bytes.resize(got);
    return bytes;
}

void TFieldReader::Skip(int64_t Count)
{
    if (Count > 0) {
        Source.SetPosition(Source.Position() + std::min(Count, Remaining()));
    }
}

int64_t TFieldReader::Remaining() const
{
    return std::max<int64_t>(0, Source.Size() - Source.Position());
}
