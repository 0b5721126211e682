#include "tests/mpeg/MpegTestFrames.h"

#include <algorithm>

#include "mpeg/MpegFrontEnd.h"
#include "mpeg/frame/MpegTables.h"
#include "tests/support/TestFiles.h"

namespace MpegTest {

uint32_t HeaderWord(const TFrameFields& Fields)
{
    return 0xFFF00000u | static_cast<uint32_t>(Fields.Version & 1) << 19 |
           static_cast<uint32_t>((4 - Fields.Layer) & 3) << 17 | static_cast<uint32_t>(Fields.Crc ? 0 : 1) << 16 |
           static_cast<uint32_t>(Fields.BitrateIndex & 15) << 12 |
           static_cast<uint32_t>(Fields.FrequencyIndex & 3) << 10 | static_cast<uint32_t>(Fields.Padding & 1) << 9 |
           static_cast<uint32_t>(Fields.Mode & 3) << 6 | static_cast<uint32_t>(Fields.ModeExtension & 3) << 4;
}

int32_t FrameBytes(const TFrameFields& Fields)
{
    const int32_t rate = BitrateTable[Fields.Version][Fields.Layer - 1][Fields.BitrateIndex];
    const int32_t hz = FrequencyTable[Fields.Version][Fields.FrequencyIndex];
    if (Fields.Layer == 1) {
        return (12 * rate / hz + Fields.Padding) * 4;
    }
    int32_t size = 144 * rate / hz;
    if (Fields.Layer == 3 && Fields.Version == 0) {
        size /= 2;
    }
    return size + Fields.Padding;
}

std::vector<uint8_t> Frame(const TFrameFields& Fields, const std::vector<uint8_t>& Body)
{
    const uint32_t h = HeaderWord(Fields);
    std::vector<uint8_t> bytes(std::max(static_cast<size_t>(FrameBytes(Fields)), Body.size() + 4), 0);
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(h >> (24 - 8 * i));
    }
    std::copy(Body.begin(), Body.end(), bytes.begin() + 4);
    bytes.resize(static_cast<size_t>(FrameBytes(Fields)));
    return bytes;
}

std::vector<uint8_t> Frames(const TFrameFields& Fields, int Count)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < Count; ++i) {
        Append(bytes, Frame(Fields));
    }
    return bytes;
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
    std::vector<int16_t> samples(Bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(Bytes[2 * i] | Bytes[2 * i + 1] << 8);
    }
    return samples;
}

std::vector<int16_t> ReadPcm(const std::string& Name)
{
    return ToSamples(ReadFixture(Name));
}

std::vector<uint8_t> DecodeAll(const std::vector<uint8_t>& Stream, std::vector<int32_t>* Reads,
                               const std::function<void(TMpegHandle*)>& Started)
{
    constexpr int32_t chunk = 16384;
    TMpegHandle* handle = MpegCreate(nullptr, 0);
    MpegOpen(handle, "xxx", Stream.data(), static_cast<int32_t>(Stream.size()));
    if (MpegStart(handle) == MpegOk && Started) {
        Started(handle);
    }
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(chunk);
    int32_t got;
    do {
        got = MpegRead(handle, buffer.data(), chunk);
        if (Reads) {
            Reads->push_back(got);
        }
        if (got < 0) {
            break;
        }
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + got);
    } while (got == chunk);
    MpegStop(handle);
    MpegFree(handle);
    return pcm;
}

}  // namespace MpegTest
