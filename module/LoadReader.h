#pragma once
// Little-endian field reader over a module stream. A file may end in the middle
// of any field: the bytes that are not there read as zero and the position
// moves only by the bytes that were there, so a damaged file reads the same way
// every time and nothing past the end is ever touched.

#include <cstdint>
#include <vector>

#include "platform/PlatformStream.h"

class TFieldReader {
public:
    explicit TFieldReader(TStream& Source) : Source(Source) { }

    uint8_t U8();
    uint16_t U16();
    int32_t I32();
    // Fills Count bytes of Dest; bytes past the end of the stream become zero.
    void Bytes(void* Dest, int32_t Count);
    // Reads up to Count bytes, never more than remain: the result's size is what was there.
    std::vector<uint8_t> Available(int64_t Count);
    // Moves forward by up to Count bytes (nothing for a negative count).
    void Skip(int64_t Count);
    // Bytes left between the position and the end of the stream.
    int64_t Remaining() const;
    int64_t Position() const { return Source.Position(); }

private:
    TStream& Source;  // the module being read
};
