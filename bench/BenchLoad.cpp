// Loading the bundled example song: full load (samples unpacked, length run)
// and information load (no sample data), from memory.

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "module/LoadLog.h"
#include "platform/PlatformStream.h"
#include "player/DmfSong.h"

namespace {

std::vector<uint8_t> ExampleSong()
{
    std::ifstream file(MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void LoadExample(benchmark::State& State, bool InfoOnly)
{
    SetDebugLogConsole(nullptr);
    const std::vector<uint8_t> bytes = ExampleSong();
    auto song = std::make_unique<TDmf>();
    for (auto _ : State) {
        TMemoryStream stream(bytes);
        if (InfoOnly)
            song->LoadInfoFromStream(stream);
        else
            song->LoadFromStream(stream);
        benchmark::DoNotOptimize(song->LengthMs);
    }
    if (!song->Loaded)
        State.SkipWithError("example song did not load");
    State.SetItemsProcessed(State.iterations());
    song.reset();  // its "Deleting" line stays out of the report too
    SetDebugLogConsole(stdout);
}

void BM_FullLoadExample(benchmark::State& State) { LoadExample(State, false); }
void BM_InfoLoadExample(benchmark::State& State) { LoadExample(State, true); }

}  // namespace

BENCHMARK(BM_FullLoadExample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InfoLoadExample)->Unit(benchmark::kMillisecond);
