// Decoding the example song for Winamp 5's converter (extended read: open,
// reads of Chunk bytes to the end, close) against morvel render of the same
// song (--raw, into a file), in multiples of real time (the RealTime counter:
// seconds of PCM per second of wall time). Both load the song, count its
// bytes and render it with the playback pass.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/HostRender.h"
#include "module/LoadLog.h"
#include "player/DmfOutputFormat.h"
#include "plugin/sdk/WinampExtendedExports.h"

namespace {

const std::string ExampleSong = MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf";

void RealTimeCounter(benchmark::State& State, int64_t Bytes)
{
    State.counters["RealTime"] =
        benchmark::Counter(static_cast<double>(Bytes) / OutputBytesPerSecond, benchmark::Counter::kIsRate);
}

void BM_ExtendedReadExample(benchmark::State& State)
{
    SetDebugLogConsole(nullptr);
    std::vector<char> buffer(static_cast<size_t>(State.range(0)));
    int64_t bytes = 0;
    for (auto _ : State) {
        int size = 0;
        const intptr_t handle = winampGetExtendedRead_open(ExampleSong.c_str(), &size, nullptr, nullptr, nullptr);
        if (handle == 0) {
            State.SkipWithError("the example song did not open");
            break;
        }
        int keepGoing = 0;
        for (size_t got; (got = winampGetExtendedRead_getData(handle, buffer.data(), buffer.size(), &keepGoing)) > 0;) {
            bytes += static_cast<int64_t>(got);
        }
        winampGetExtendedRead_close(handle);
    }
    RealTimeCounter(State, bytes);
    SetDebugLogConsole(stdout);
}
BENCHMARK(BM_ExtendedReadExample)->Arg(4095)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_RenderCommandExample(benchmark::State& State)
{
    SetDebugLogConsole(nullptr);
    const std::string output = (std::filesystem::temp_directory_path() / "morvel-bench-render.pcm").string();
    int64_t bytes = 0;
    for (auto _ : State) {
        std::FILE* report = std::tmpfile();
        const int status = RunRenderCommand({ExampleSong, "--raw", "--force", "-o", output}, report, report);
        if (report) {
            std::fclose(report);
        }
        if (status != 0) {
            State.SkipWithError("morvel render failed");
            break;
        }
        std::error_code error;
        bytes += static_cast<int64_t>(std::filesystem::file_size(output, error));
    }
    RealTimeCounter(State, bytes);
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    SetDebugLogConsole(stdout);
}
BENCHMARK(BM_RenderCommandExample)->Unit(benchmark::kMillisecond);

}  // namespace
