#include "host/HostWav.h"

#include "platform/PlatformFile.h"
#include "player/DmfOutputFormat.h"

namespace {

void PutLittleEndian(uint8_t* At, uint32_t Value, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) {
        At[i] = static_cast<uint8_t>((Value >> (8 * i)) & 0xFF);
    }
}

}  // namespace

std::array<uint8_t, WavHeaderBytes> WavHeader(uint32_t DataBytes)
{
    constexpr uint32_t rate = OutputRate;
    constexpr uint32_t channels = OutputChannels;
    constexpr uint32_t bits = OutputBits;
    constexpr uint32_t frameBytes = OutputBytesPerFrame;
    std::array<uint8_t, WavHeaderBytes> header{};
    uint8_t* h = header.data();
    const auto tag = [](uint8_t* At, const char* Text) {
        for (int i = 0; i < 4; ++i) {
            At[i] = static_cast<uint8_t>(Text[i]);
        }
    };
    tag(h, "RIFF");
    PutLittleEndian(h + 4, 36 + DataBytes, 4);
    tag(h + 8, "WAVE");
    tag(h + 12, "fmt ");
    PutLittleEndian(h + 16, 16, 4);  // size of the format chunk
    PutLittleEndian(h + 20, 1, 2);   // integer PCM
    PutLittleEndian(h + 22, channels, 2);
    PutLittleEndian(h + 24, rate, 4);
    PutLittleEndian(h + 28, rate * frameBytes, 4);
    PutLittleEndian(h + 32, frameBytes, 2);
    PutLittleEndian(h + 34, bits, 2);
    tag(h + 36, "data");
    PutLittleEndian(h + 40, DataBytes, 4);
    return header;
}

TPcmWriter::TPcmWriter(std::FILE* File, bool Raw) : File(File), Raw(Raw)
{
    if (File == stdout) {
        PlatformSetBinaryMode(stdout);  // no newline translation in PCM
    }
}

bool TPcmWriter::Begin(uint32_t DataBytes)
{
    if (Raw) {
        return IsOpen();
    }
    const std::array<uint8_t, WavHeaderBytes> header = WavHeader(DataBytes);
    return Write(header.data(), header.size());
}

bool TPcmWriter::Write(const void* Bytes, size_t Count)
{
    if (!File || Failed) {
        return false;
    }
    if (std::fwrite(Bytes, 1, Count, File) != Count) {
        Failed = true;
    }
    return !Failed;
}

bool TPcmWriter::Finish()
{
    if (!File) {
        return false;
    }
    if (std::fflush(File) != 0) {
        Failed = true;
    }
    File = nullptr;
    return !Failed;
}
