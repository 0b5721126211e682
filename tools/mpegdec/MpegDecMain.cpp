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
    std::string text = "\"";
    for (size_t i = 0; i < Count && Bytes[i]; ++i) {
        const uint8_t c = Bytes[i];
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            text += escape;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text + "\"";
}

// The file's bytes, in one allocation of its size when the size can be told.
std::vector<uint8_t> ReadWholeFile(std::ifstream& In)
{
    std::vector<uint8_t> bytes;
    In.seekg(0, std::ios::end);
    const std::streamoff size = In.tellg();
    if (size > 0) {
        bytes.reserve(static_cast<size_t>(size));
    }
    In.clear();
    In.seekg(0, std::ios::beg);
    In.clear();  // a pipe cannot seek, yet nothing of it was read
    char block[65536];
    while (In.read(block, sizeof block) || In.gcount() > 0) {
        bytes.insert(bytes.end(), block, block + In.gcount());
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mpegdec IN OUT.raw\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "Cannot open file %s\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> stream = ReadWholeFile(in);
    std::ofstream out(argv[2], std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "Cannot write file %s\n", argv[2]);
        return 1;
    }

    TMpegHandle* handle = MpegCreate(nullptr, 0);
    const int32_t createResult = IsMpegHandle(handle) ? MpegOk : MpegCreateFailed;
    const int32_t openResult = MpegOpen(handle, "xxx", stream.data(), static_cast<int32_t>(stream.size()));
    const int32_t startResult = MpegStart(handle);
    TMpegInfo info;
    std::memset(&info, 0, sizeof info);
    const int32_t infoResult = MpegGetInfo(handle, info);

    std::vector<char> chunk(ReadChunkBytes);
    size_t pcmBytes = 0;
    int32_t reads = 0;
    int32_t lastRead = 0;
    do {
        lastRead = MpegRead(handle, chunk.data(), ReadChunkBytes);
        ++reads;
        if (lastRead < 0) {
            break;
        }
        out.write(chunk.data(), lastRead);
        pcmBytes += static_cast<size_t>(lastRead);
    } while (lastRead == ReadChunkBytes && out);
    const int32_t stopResult = MpegStop(handle);
    const int32_t freeResult = MpegFree(handle);

    out.close();
    if (!out) {
        std::fprintf(stderr, "Cannot write file %s\n", argv[2]);
        return 1;
    }

    std::printf(
        "{\"create\":%d,\"open\":%d,\"start\":%d,\"info\":%d,\"reads\":%d,\"lastRead\":%d,\"stop\":%d,"
        "\"free\":%d,\"pcmBytes\":%zu,\"version\":%u,\"layer\":%d,\"nominalRate\":%d,\"frequency\":%d,"
        "\"bitrate\":%d,\"mode\":%u,\"frames\":%d,\"totalMs\":%d,\"msPerFrame\":%.6f,\"tag\":%s,\"title\":%s}\n",
        createResult, openResult, startResult, infoResult, reads, lastRead, stopResult, freeResult, pcmBytes,
        static_cast<unsigned>(info.Version), info.Layer, info.NominalRate, info.Frequency, info.Bitrate,
        static_cast<unsigned>(info.Mode), info.Frames, info.TotalMs, info.MsPerFrame, info.Tag[0] ? "true" : "false",
        JsonText(info.Tag + 3, 30).c_str());
    return 0;
}
