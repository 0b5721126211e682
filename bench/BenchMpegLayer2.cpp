// Layer II decode speed through the decoder front end, as a compressed sample is
// decoded when a module loads, on 44.1 kHz streams at 192 kbit/s:
// Layer2Decode: 10 s of stereo (the Layer II test stream repeated);
// Layer2DecodeSong: three minutes of the example song in joint stereo, made by
// twolame at bench time (SongStreams.h).
//
// "RealTime" is seconds of audio decoded per second of wall time; "VsMpg123" is
// this decoder's time per stream divided by that of `mpg123 -t -q` on the same
// stream, timed in the same run as a whole process (its start-up counts against it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "SongStreams.h"
#include "mpeg/MpegFrontEnd.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr int Repeats = 34;  // 0.3 s each
constexpr int32_t ReadChunkBytes = 16384;

std::vector<uint8_t> BenchStream()
{
    const std::vector<uint8_t> Piece = ReadFileBytes(MORVEL_SOURCE_DIR "/tests/data/mpeg/l2_44k_stereo_192.mp2");
    std::vector<uint8_t> Stream;
    for (int I = 0; I < Repeats; ++I) Stream.insert(Stream.end(), Piece.begin(), Piece.end());
    return Stream;
}

// Decodes the stream; returns the PCM bytes.
int64_t DecodeStream(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Chunk)
{
    TMpegHandle* Handle = MpegCreate(nullptr, 0);
    MpegOpen(Handle, "xxx", Bytes.data(), static_cast<int32_t>(Bytes.size()));
    MpegStart(Handle);
    int64_t Total = 0;
    int32_t Got;
    do {
        Got = MpegRead(Handle, Chunk.data(), ReadChunkBytes);
        Total += std::max(Got, 0);
        benchmark::DoNotOptimize(Chunk.data());
    } while (Got == ReadChunkBytes);
    MpegStop(Handle);
    MpegFree(Handle);
    return Total;
}

// Median wall time of `mpg123 -t -q` on Path over a few runs, 0 when it cannot be run.
double Mpg123Seconds(const std::string& Path)
{
    const std::string Command = "mpg123 -t -q \"" + Path + "\" >/dev/null 2>&1";
    std::vector<double> Times;
    for (int Run = 0; Run < 5; ++Run) {
        const auto Start = std::chrono::steady_clock::now();
        if (std::system(Command.c_str()) != 0) return 0.0;
        Times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
    }
    std::sort(Times.begin(), Times.end());
    return Times[Times.size() / 2];
}

// Decodes Bytes (the stream held in the file Path) per iteration.
void MeasureDecoding(benchmark::State& State, const std::vector<uint8_t>& Bytes, const std::string& Path)
{
    const double ReferenceSeconds = Mpg123Seconds(Path);
    std::vector<uint8_t> Chunk(ReadChunkBytes);
    int64_t PcmBytes = 0;
    const auto Start = std::chrono::steady_clock::now();
    for (auto _ : State)
        PcmBytes = DecodeStream(Bytes, Chunk);
    const double Elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    const double AudioSeconds = static_cast<double>(PcmBytes) / 4.0 / 44100.0;
    State.counters["RealTime"] =
        benchmark::Counter(AudioSeconds * static_cast<double>(State.iterations()), benchmark::Counter::kIsRate);
    if (ReferenceSeconds > 0.0)
        State.counters["VsMpg123"] = Elapsed / static_cast<double>(State.iterations()) / ReferenceSeconds;
}

void Layer2Decode(benchmark::State& State)
{
    const std::vector<uint8_t> Bytes = BenchStream();
    if (Bytes.empty()) {
        State.SkipWithError("benchmark stream missing");
        return;
    }
    const std::filesystem::path Path = std::filesystem::temp_directory_path() / "morvel_bench_layer2.mp2";
    WriteFileBytes(Path.string(), Bytes);
    MeasureDecoding(State, Bytes, Path.string());
    std::filesystem::remove(Path);
}
BENCHMARK(Layer2Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

void Layer2DecodeSong(benchmark::State& State)
{
    const std::string Path = SongStreamLayer2();
    const std::vector<uint8_t> Bytes = ReadFileBytes(Path);
    if (Bytes.empty()) {
        State.SkipWithError("song stream could not be made (morvel, sox, twolame)");
        return;
    }
    MeasureDecoding(State, Bytes, Path);
}
BENCHMARK(Layer2DecodeSong)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
