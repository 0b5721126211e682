// Layer II decode speed through the decoder front end, as a compressed sample is
// decoded when a module loads, on 44.1 kHz streams at 192 kbit/s:
// Layer2Decode: 10 s of stereo (the Layer II test stream repeated);
// Layer2DecodeSong: three minutes of the example song in joint stereo, made by
// twolame at bench time (SongStreams.h).
//
// "RealTime" is seconds of audio decoded per second of wall time; "VsMpg123" and
// "VsMpg123Cpu" compare with `mpg123 -t -q` on the same stream, run as a whole
// process before each decode (its start-up counts against it; Mpg123Reference.h).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Mpg123Reference.h"
#include "bench/SongStreams.h"
#include "mpeg/MpegFrontEnd.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int Repeats = 34;  // 0.3 s each
constexpr int32_t ReadChunkBytes = 16384;

std::vector<uint8_t> BenchStream()
{
    const std::vector<uint8_t> piece = ReadFileBytes(MORVEL_SOURCE_DIR "/tests/data/mpeg/l2_44k_stereo_192.mp2");
    std::vector<uint8_t> stream;
    for (int i = 0; i < Repeats; ++i) {
        stream.insert(stream.end(), piece.begin(), piece.end());
    }
    return stream;
}

// Decodes the stream; returns the seconds of audio it held.
double DecodeStream(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Chunk)
{
    TMpegHandle* handle = MpegCreate(nullptr, 0);
    MpegOpen(handle, "xxx", Bytes.data(), static_cast<int32_t>(Bytes.size()));
    MpegStart(handle);
    TMpegInfo info{};
    MpegGetInfo(handle, info);
    int64_t total = 0;
    int32_t got;
    do {
        got = MpegRead(handle, Chunk.data(), ReadChunkBytes);
        total += std::max(got, 0);
        benchmark::DoNotOptimize(Chunk.data());
    } while (got == ReadChunkBytes);
    MpegStop(handle);
    MpegFree(handle);
    // The front end hands out 16-bit stereo frames at the stream's rate.
    return info.Frequency > 0 ? static_cast<double>(total) / 4.0 / info.Frequency : 0.0;
}

// Decodes Bytes (the stream held in the file Path) per iteration.
void MeasureDecoding(benchmark::State& State, const std::vector<uint8_t>& Bytes, const std::string& Path)
{
    std::vector<uint8_t> chunk(ReadChunkBytes);
    MeasureAgainstMpg123(State, Path, [&] { return DecodeStream(Bytes, chunk); });
}

void Layer2Decode(benchmark::State& State)
{
    const std::vector<uint8_t> bytes = BenchStream();
    if (bytes.empty()) {
        State.SkipWithError("benchmark stream missing");
        return;
    }
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "morvel_bench_layer2.mp2";
    WriteFileBytes(path.string(), bytes);
    MeasureDecoding(State, bytes, path.string());
    std::filesystem::remove(path);
}
BENCHMARK(Layer2Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

void Layer2DecodeSong(benchmark::State& State)
{
    const std::string path = SongStreamLayer2();
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.empty()) {
        State.SkipWithError("song stream could not be made (morvel, sox, twolame)");
        return;
    }
    MeasureDecoding(State, bytes, path);
}
BENCHMARK(Layer2DecodeSong)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
