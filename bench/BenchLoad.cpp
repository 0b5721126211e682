// Loading the bundled example song: full load (samples unpacked, length run)
// and information load (no sample data), from memory; and the information
// load of the longest song a legal file can ask for (must stay well under a
// second: a host makes it on its UI thread for every playlist entry).

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "module/LoadLog.h"
#include "platform/PlatformStream.h"
#include "player/DmfSong.h"
#include "tests/support/TestFiles.h"
#include "tools/writer/WriterStressSongs.h"

namespace {

std::vector<uint8_t> ExampleSong()
{
    return ReadFileBytes(MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf");
}

void LoadSong(benchmark::State& State, const std::vector<uint8_t>& Bytes, bool InfoOnly)
{
    SetDebugLogConsole(nullptr);
    auto song = std::make_unique<TDmf>();
    for (auto _ : State) {
        TMemoryStream stream(Bytes);
        if (InfoOnly) {
            song->LoadInfoFromStream(stream);
        } else {
            song->LoadFromStream(stream);
        }
        benchmark::DoNotOptimize(song->LengthMs);
    }
    if (!song->Loaded) {
        State.SkipWithError("the song did not load");
    }
    State.SetItemsProcessed(State.iterations());
    song.reset();  // its "Deleting" line stays out of the report too
    SetDebugLogConsole(stdout);
}

void BM_FullLoadExample(benchmark::State& State)
{
    LoadSong(State, ExampleSong(), false);
}
void BM_InfoLoadExample(benchmark::State& State)
{
    LoadSong(State, ExampleSong(), true);
}
void BM_InfoLoadLongestLegalSong(benchmark::State& State)
{
    LoadSong(State, WriteLongestLegalSong(), true);
}

}  // namespace

BENCHMARK(BM_FullLoadExample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InfoLoadExample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InfoLoadLongestLegalSong)->Unit(benchmark::kMillisecond);
