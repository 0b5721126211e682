#include "tests/wahost/WavOutput.h"

namespace {

// Room the output reports: more than the largest render step and all a DSP may add.
constexpr int AlwaysRoom = 8 << 20;
constexpr long HeaderBytes = 44;

void PutLe(uint8_t* At, uint32_t Value, int Bytes)
{
    for (int i = 0; i < Bytes; ++i) {
        At[i] = static_cast<uint8_t>(Value >> (8 * i));
    }
}

}  // namespace

TWavOutput::TWavOutput(std::string WavPath) : Path(std::move(WavPath))
{
    FOutput = TOutModuleBinding<TWavOutput>::Record("WAV writer");
}

TWavOutput::~TWavOutput()
{
    Close();
}

int TWavOutput::Open(int Rate, int Channels, int Bits, int, int)
{
    Close();
    ++OpenCount;
    File = std::fopen(Path.c_str(), "wb");
    if (!File || Rate <= 0 || Channels <= 0 || Bits <= 0 || Bits % 8 != 0) {
        return -1;
    }
    const int frameBytes = Channels * Bits / 8;
    BytesPerSecond = Rate * frameBytes;
    DataBytes = 0;
    ClockBytes = 0;
    BaseMs = 0;
    uint8_t header[HeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0};
    PutLe(header + 20, 1, 2);  // integer PCM
    PutLe(header + 22, static_cast<uint32_t>(Channels), 2);
    PutLe(header + 24, static_cast<uint32_t>(Rate), 4);
    PutLe(header + 28, static_cast<uint32_t>(BytesPerSecond), 4);
    PutLe(header + 32, static_cast<uint32_t>(frameBytes), 2);
    PutLe(header + 34, static_cast<uint32_t>(Bits), 2);
    header[36] = 'd', header[37] = 'a', header[38] = 't', header[39] = 'a';
    std::fwrite(header, 1, sizeof header, File);
    return 0;
}

int TWavOutput::Write(const char* Buffer, int Length)
{
    if (!File || Length <= 0) {
        return 0;
    }
    std::fwrite(Buffer, 1, static_cast<size_t>(Length), File);
    DataBytes += Length;
    ClockBytes += Length;
    return 0;
}

int TWavOutput::CanWrite()
{
    return AlwaysRoom;
}

void TWavOutput::Flush(int Ms)
{
    BaseMs = Ms;
    ClockBytes = 0;
}

int TWavOutput::GetOutputTime()
{
    return BaseMs + Milliseconds(ClockBytes);
}

void TWavOutput::Close()
{
    if (!File) {
        return;
    }
    ++CloseCount;
    // The sizes, now that they are known (a RIFF file holds at most 4 GB).
    uint8_t size[4];
    PutLe(size, static_cast<uint32_t>(DataBytes + HeaderBytes - 8), 4);
    std::fseek(File, 4, SEEK_SET);
    std::fwrite(size, 1, 4, File);
    PutLe(size, static_cast<uint32_t>(DataBytes), 4);
    std::fseek(File, HeaderBytes - 4, SEEK_SET);
    std::fwrite(size, 1, 4, File);
    std::fclose(File);
    File = nullptr;
}

int TWavOutput::Milliseconds(int64_t Bytes) const
{
    return BytesPerSecond > 0 ? static_cast<int>(Bytes * 1000 / BytesPerSecond) : 0;
}
