// How long the host's Stop takes to return while the example song plays
// (or is paused) through each of Winamp's output plug-ins as the test hosts
// model them, in real time: one Stop per repetition, after 150 ms of playing
// (the disk writer: after 50 writes); the median and the largest over the
// repetitions.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "module/LoadLog.h"
#include "plugin/DataModule.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/RecordingHost.h"

namespace {

constexpr int Repetitions = 25;

struct TStopCase {
    TOutputModel Model;
    int BufferBytes;
    bool Paused;
};

const TStopCase StopCases[] = {{TOutputModel::WaveOut, 352800, false},     {TOutputModel::WaveOut, 17640, false},
                               {TOutputModel::WaveOut, 8192, false},       {TOutputModel::WaveOut, 352800, true},
                               {TOutputModel::DirectSound, 352800, false}, {TOutputModel::DiskWriter, 0, false}};

void BM_PluginStop(benchmark::State& State)
{
    const TStopCase& stopCase = StopCases[State.range(0)];
    SetDebugLogConsole(nullptr);
    CreateDataModule1();
    In_Module* plugin = winampGetInModule2();
    TRecordingHost host;
    host.Attach(*plugin);
    host.KeepPcm(false);
    plugin->Init();
    for (auto _ : State) {
        host.UseModelOutput(stopCase.Model, stopCase.BufferBytes, 1.0);
        if (plugin->Play(MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf") != 0) {
            State.SkipWithError("the example song did not play");
            break;
        }
        // A disk writer takes the song as fast as it renders: Stop it early, mid-song.
        if (stopCase.Model == TOutputModel::DiskWriter) {
            host.WaitForCall("Write", 50);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        if (stopCase.Paused) {
            plugin->Pause();
        }
        const auto start = std::chrono::steady_clock::now();
        plugin->Stop();
        State.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        host.ClearCalls();
    }
    std::string label = TModelOutput::Name(stopCase.Model);
    if (stopCase.BufferBytes > 0) {
        label.append(", buffer of ").append(std::to_string(stopCase.BufferBytes)).append(" bytes");
    }
    if (stopCase.Paused) {
        label.append(", paused");
    }
    State.SetLabel(label);
    plugin->Quit();
    DestroyDataModule1();
    SetDebugLogConsole(stdout);
}

double Largest(const std::vector<double>& Values)
{
    return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end());
}

}  // namespace

BENCHMARK(BM_PluginStop)
    ->DenseRange(0, static_cast<int>(std::size(StopCases)) - 1)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(Repetitions)
    ->ComputeStatistics("max", Largest)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);
