// A host reads a playlist's titles and lengths through GetFileInfo, one call
// per entry: the information load of the example song from its file, through
// the plug-in's entry point (log file writes included).

#include <benchmark/benchmark.h>

#include "module/LoadLog.h"
#include "plugin/DataModule.h"
#include "plugin/sdk/WinampPluginRecords.h"

namespace {

void BM_PluginGetFileInfoExample(benchmark::State& State)
{
    SetDebugLogConsole(nullptr);
    CreateDataModule1();
    In_Module* plugin = winampGetInModule2();
    plugin->Init();
    char title[2048] = {};
    int length = 0;
    for (auto _ : State) {
        plugin->GetFileInfo(MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf", title, &length);
        benchmark::DoNotOptimize(length);
    }
    if (length <= 0) {
        State.SkipWithError("the example song gave no length");
    }
    State.SetItemsProcessed(State.iterations());
    plugin->Quit();
    DestroyDataModule1();
    SetDebugLogConsole(stdout);
}

}  // namespace

BENCHMARK(BM_PluginGetFileInfoExample)->Unit(benchmark::kMillisecond);
