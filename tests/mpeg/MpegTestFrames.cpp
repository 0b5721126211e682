#include "MpegTestFrames.h"

#include <algorithm>

#include "mpeg/MpegFrontEnd.h"
#include "mpeg/frame/MpegTables.h"
#include "tests/support/TestFiles.h"

namespace MpegTest {

uint32_t HeaderWord(const TFrameFields& Fields)
{
    return 0xFFF00000u | uint32_t(Fields.Version & 1) << 19 | uint32_t((4 - Fields.Layer) & 3) << 17 |
           uint32_t(Fields.Crc ? 0 : 1) << 16 | uint32_t(Fields.BitrateIndex & 15) << 12 |
           uint32_t(Fields.FrequencyIndex & 3) << 10 | uint32_t(Fields.Padding & 1) << 9 | uint32_t(Fields.Mode & 3) << 6 |
           uint32_t(Fields.ModeExtension & 3) << 4;
}

int32_t FrameBytes(const TFrameFields& Fields)
{
    const int32_t Rate = BitrateTable[Fields.Version][Fields.Layer - 1][Fields.BitrateIndex];
    const int32_t Hz = FrequencyTable[Fields.Version][Fields.FrequencyIndex];
    if (Fields.Layer == 1) return (12 * Rate / Hz + Fields.Padding) * 4;
    int32_t Size = 144 * Rate / Hz;
    if (Fields.Layer == 3 && Fields.Version == 0) Size /= 2;
    return Size + Fields.Padding;
}

std::vector<uint8_t> Frame(const TFrameFields& Fields, const std::vector<uint8_t>& Body)
{
    const uint32_t H = HeaderWord(Fields);
    std::vector<uint8_t> Bytes(std::max(size_t(FrameBytes(Fields)), Body.size() + 4), 0);
    for (int I = 0; I < 4; ++I) Bytes[size_t(I)] = uint8_t(H >> (24 - 8 * I));
    std::copy(Body.begin(), Body.end(), Bytes.begin() + 4);
    Bytes.resize(size_t(FrameBytes(Fields)));
    return Bytes;
}

std::vector<uint8_t> Frames(const TFrameFields& Fields, int Count)
{
    std::vector<uint8_t> Bytes;
    for (int I = 0; I < Count; ++I) Append(Bytes, Frame(Fields));
    return Bytes;
}

void Append(std::vector<uint8_t>& To, const std::vector<uint8_t>& Bytes)
{
    To.insert(To.end(), Bytes.begin(), Bytes.end());
}

std::vector<uint8_t> ReadFixture(const std::string& Name)
{
    return ReadFileBytes(std::string(MORVEL_TEST_DATA) + "/mpeg/" + Name);
}

std::vector<int16_t> ToSamples(const std::vector<uint8_t>& Bytes)
{
    std::vector<int16_t> Samples(Bytes.size() / 2);
    for (size_t I = 0; I < Samples.size(); ++I) Samples[I] = int16_t(Bytes[2 * I] | Bytes[2 * I + 1] << 8);
    return Samples;
}

std::vector<int16_t> ReadPcm(const std::string& Name)
{
    return ToSamples(ReadFixture(Name));
}

std::vector<uint8_t> DecodeAll(const std::vector<uint8_t>& Stream, std::vector<int32_t>* Reads)
{
    constexpr int32_t Chunk = 16384;
    TMpegHandle* Handle = MpegCreate(nullptr, 0);
    MpegOpen(Handle, "xxx", Stream.data(), int32_t(Stream.size()));
    MpegStart(Handle);
    std::vector<uint8_t> Pcm;
    std::vector<uint8_t> Buffer(Chunk);
    int32_t Got;
    do {
        Got = MpegRead(Handle, Buffer.data(), Chunk);
        if (Reads) Reads->push_back(Got);
        if (Got < 0) break;
        Pcm.insert(Pcm.end(), Buffer.begin(), Buffer.begin() + Got);
    } while (Got == Chunk);
    MpegStop(Handle);
    MpegFree(Handle);
    return Pcm;
}

}  // namespace MpegTest
