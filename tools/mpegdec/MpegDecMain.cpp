// mpegdec IN OUT.raw: decodes a whole MPEG audio stream (or any file holding one)
// the way a compressed sample is decoded when a module loads, writes the raw PCM
// (signed 16-bit little-endian, interleaved when stereo) and prints the stream
// information and the result codes as one JSON line. The PCM goes to the file
// block by block as it is read, so memory does not grow with the stream.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "mpeg/MpegFrontEnd.h"

namespace {

constexpr int32_t ReadChunkBytes = 16384;

std::string JsonText(const uint8_t* Bytes, size_t Count)
{
    std::string Text = "\"";
    for (size_t I = 0; I < Count && Bytes[I]; ++I) {
        const uint8_t C = Bytes[I];
        if (C == '"' || C == '\\') {
            Text += '\\';
            Text += char(C);
        } else if (C < 0x20 || C >= 0x7F) {
            char Escape[8];
            std::snprintf(Escape, sizeof Escape, "\\u%04x", C);
            Text += Escape;
        } else {
            Text += char(C);
        }
    }
    return Text + "\"";
}

// The file's bytes, in one allocation of its size when the size can be told.
std::vector<uint8_t> ReadWholeFile(std::ifstream& In)
{
    std::vector<uint8_t> Bytes;
    In.seekg(0, std::ios::end);
    const std::streamoff Size = In.tellg();
    if (Size > 0) Bytes.reserve(size_t(Size));
    In.clear();
    In.seekg(0, std::ios::beg);
    In.clear();  // a pipe cannot seek, yet nothing of it was read
    char Block[65536];
    while (In.read(Block, sizeof Block) || In.gcount() > 0)
        Bytes.insert(Bytes.end(), Block, Block + In.gcount());
    return Bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mpegdec IN OUT.raw\n");
        return 2;
    }
    std::ifstream In(argv[1], std::ios::binary);
    if (!In) {
        std::fprintf(stderr, "Cannot open file %s\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> Stream = ReadWholeFile(In);
    std::ofstream Out(argv[2], std::ios::binary);
    if (!Out) {
        std::fprintf(stderr, "Cannot write file %s\n", argv[2]);
        return 1;
    }

    TMpegHandle* Handle = MpegCreate(nullptr, 0);
    const int32_t CreateResult = IsMpegHandle(Handle) ? MpegOk : MpegCreateFailed;
    const int32_t OpenResult = MpegOpen(Handle, "xxx", Stream.data(), int32_t(Stream.size()));
    const int32_t StartResult = MpegStart(Handle);
    TMpegInfo Info;
    std::memset(&Info, 0, sizeof Info);
    const int32_t InfoResult = MpegGetInfo(Handle, Info);

    std::vector<char> Chunk(ReadChunkBytes);
    size_t PcmBytes = 0;
    int32_t Reads = 0;
    int32_t LastRead = 0;
    do {
        LastRead = MpegRead(Handle, Chunk.data(), ReadChunkBytes);
        ++Reads;
        if (LastRead < 0) break;
        Out.write(Chunk.data(), LastRead);
        PcmBytes += size_t(LastRead);
    } while (LastRead == ReadChunkBytes && Out);
    const int32_t StopResult = MpegStop(Handle);
    const int32_t FreeResult = MpegFree(Handle);

    Out.close();
    if (!Out) {
        std::fprintf(stderr, "Cannot write file %s\n", argv[2]);
        return 1;
    }

    std::printf("{\"create\":%d,\"open\":%d,\"start\":%d,\"info\":%d,\"reads\":%d,\"lastRead\":%d,\"stop\":%d,"
                "\"free\":%d,\"pcmBytes\":%zu,\"version\":%u,\"layer\":%d,\"nominalRate\":%d,\"frequency\":%d,"
                "\"bitrate\":%d,\"mode\":%u,\"frames\":%d,\"totalMs\":%d,\"msPerFrame\":%.6f,\"tag\":%s,\"title\":%s}\n",
                CreateResult, OpenResult, StartResult, InfoResult, Reads, LastRead, StopResult, FreeResult, PcmBytes,
                unsigned(Info.Version), Info.Layer, Info.NominalRate, Info.Frequency, Info.Bitrate, unsigned(Info.Mode),
                Info.Frames, Info.TotalMs, Info.MsPerFrame, Info.Tag[0] ? "true" : "false",
                JsonText(Info.Tag + 3, 30).c_str());
    return 0;
}
