#include "tests/win32/PngFile.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

uint32_t Crc32(const uint8_t* Data, size_t Size, uint32_t Crc = 0)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    Crc = ~Crc;
    for (size_t i = 0; i < Size; ++i) {
        Crc = table[(Crc ^ Data[i]) & 0xFF] ^ (Crc >> 8);
    }
    return ~Crc;
}

void PutBigEndian(std::vector<uint8_t>& Out, uint32_t Value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        Out.push_back(static_cast<uint8_t>(Value >> shift));
    }
}

void PutChunk(std::vector<uint8_t>& Out, const char (&Type)[5], const std::vector<uint8_t>& Data)
{
    PutBigEndian(Out, static_cast<uint32_t>(Data.size()));
    const size_t start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Data.begin(), Data.end());
    PutBigEndian(Out, Crc32(Out.data() + start, Out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each).
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& Raw)
{
    std::vector<uint8_t> out{0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t length = std::min<size_t>(Raw.size() - offset, 65535);
        const bool last = offset + length == Raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), Raw.begin() + offset, Raw.begin() + offset + length);
        offset += length;
    } while (offset < Raw.size());
    uint32_t a = 1, b = 0;  // Adler-32
    for (uint8_t byte : Raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

bool WritePngFile(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb)
{
    if (Width <= 0 || Height <= 0 || Rgb.size() != static_cast<size_t>(Width) * Height * 3) {
        return false;
    }
    std::vector<uint8_t> raw;
    const size_t stride = static_cast<size_t>(Width) * 3;
    for (int y = 0; y < Height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), Rgb.begin() + y * stride, Rgb.begin() + (y + 1) * stride);
    }
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(Width));
    PutBigEndian(header, static_cast<uint32_t>(Height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, no interlace

    std::vector<uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", StoredZlib(raw));
    PutChunk(file, "IEND", {});

    std::FILE* out = std::fopen(Path.c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
