#include "tests/support/Winamp5Exports.h"

#include <algorithm>

std::vector<uint8_t> ReadToEnd(const TWinamp5Exports& Exports, intptr_t Handle, size_t Chunk, size_t Limit)
{
    std::vector<uint8_t> pcm;
    std::vector<char> buffer(Chunk);
    int keepGoing = 0;
    while (pcm.size() < Limit) {
        const size_t wanted = std::min(Chunk, Limit - pcm.size());
        const size_t got = Exports.ReadGetData(Handle, buffer.data(), wanted, &keepGoing);
        if (got == 0) {
            break;
        }
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(got));
    }
    return pcm;
}

std::vector<uint8_t> ReadWholeSong(const TWinamp5Exports& Exports, const std::string& Path, size_t Chunk,
                                   TReadFormat* Format)
{
    TReadFormat format;
    const intptr_t handle = Exports.ReadOpen(Path.c_str(), &format.Size, &format.Bits, &format.Channels, &format.Rate);
    if (Format) {
        *Format = format;
    }
    if (handle == 0) {
        return {};
    }
    std::vector<uint8_t> pcm = ReadToEnd(Exports, handle, Chunk);
    Exports.ReadClose(handle);
    return pcm;
}
