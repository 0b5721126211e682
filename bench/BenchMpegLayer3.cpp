// Layer III decode speed on 128 kbit/s stereo, 44.1 kHz streams: Layer3Decode on
// a 10 s test stream, Layer3DecodeSong on three minutes of the example song made
// by lame at bench time (SongStreams.h).
//
// The whole stream is decoded in memory per iteration through the frame reader,
// the Layer III decoder and the synthesis filters. "RealTime" is seconds of
// audio decoded per second of wall time; "VsMpg123" and "VsMpg123Cpu" compare
// with `mpg123 -t -q` on the same file, run as a whole process before each decode
// (so mpg123's start-up counts against it, a few milliseconds; Mpg123Reference.h).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Mpg123Reference.h"
#include "bench/SongStreams.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "tests/support/TestFiles.h"

namespace {

const std::string StreamPath = MORVEL_SOURCE_DIR "/tests/data/mpeg3/bench_s44_stereo_128.mp3";

// Decodes the (stereo) stream; returns the seconds of audio it held.
double DecodeStream(const std::vector<uint8_t>& Bytes)
{
    TBitStream stream(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    THeader header;
    if (!header.ReadHeader(stream, nullptr)) {
        return 0.0;
    }
    const int32_t rate = header.Frequency();
    TSynthesisFilter left(0, 32768.0f), right(1, 32768.0f);
    TBuffer output(2);
    TLayer3Decoder decoder({&stream, &header, &left, &right, &output, 2});
    int64_t samples = 0;
    uint8_t pcm[TBuffer::Capacity];
    do {
        decoder.DecodeFrame();
        samples += output.Read(pcm, TBuffer::Capacity) / 2;
    } while (header.ReadHeader(stream, nullptr));
    benchmark::DoNotOptimize(pcm);
    return static_cast<double>(samples) / 2.0 / rate;
}

// Decodes the stream of the file Path per iteration.
void MeasureDecoding(benchmark::State& State, const std::string& Path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(Path);
    if (bytes.empty()) {
        State.SkipWithError("benchmark stream missing");
        return;
    }
    MeasureAgainstMpg123(State, Path, [&] { return DecodeStream(bytes); });
}

void Layer3Decode(benchmark::State& State)
{
    MeasureDecoding(State, StreamPath);
}
BENCHMARK(Layer3Decode)->Unit(benchmark::kMillisecond)->UseRealTime();

// Skipped when the stream could not be made (morvel, sox, lame).
void Layer3DecodeSong(benchmark::State& State)
{
    MeasureDecoding(State, SongStreamLayer3());
}
BENCHMARK(Layer3DecodeSong)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
