// Winamp 5 decoding the example song through its hidden output, as it does
// for a plug-in without extended read (tests/support/HiddenOutput.h), in real
// time: the whole song read 64 kB at a time (the RealTime counter), and how
// long Stop takes to return when the converter is cancelled while the
// plug-in waits in a blocked Write (the reader gives up, then the host calls
// Stop; one per repetition, median and largest).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "module/LoadLog.h"
#include "player/DmfOutputFormat.h"
#include "plugin/DataModule.h"
#include "plugin/sdk/WinampPluginRecords.h"
#include "tests/support/HiddenOutput.h"
#include "tests/support/RecordingHost.h"

namespace {

constexpr const char* ExampleSong = MORVEL_SOURCE_DIR "/examples/morvel-demo.dmf";

// The plug-in in a host whose output is the hidden one, its window passing
// the end-of-file message to it.
class THiddenHost {
public:
    THiddenHost()
    {
        SetDebugLogConsole(nullptr);
        CreateDataModule1();
        Plugin = winampGetInModule2();
        Host.Attach(*Plugin);
        Host.KeepPcm(false);
        Plugin->Init();
    }
    ~THiddenHost()
    {
        End();
        Plugin->Quit();
        DestroyDataModule1();
        SetDebugLogConsole(stdout);
    }

    THiddenOutput& Begin()
    {
        Hidden = std::make_unique<THiddenOutput>(*Plugin);
        Plugin->outMod = &Hidden->Output();
        Host.SetWindowProcedure([this](unsigned Message) {
            if (Message == WM_WA_MPEG_EOF) {
                Hidden->EndOfFile();
            }
        });
        return *Hidden;
    }

    void End()
    {
        if (!Hidden) {
            return;
        }
        Hidden->GiveUp();
        Plugin->Stop();
        Host.SetWindowProcedure(nullptr);
        Plugin->outMod = &Host.Output();
        Hidden.reset();
    }

    In_Module* Plugin = nullptr;
    TRecordingHost Host;
    std::unique_ptr<THiddenOutput> Hidden;
};

void BM_HiddenOutputDecodeExample(benchmark::State& State)
{
    THiddenHost host;
    std::vector<uint8_t> buffer(65536);
    int64_t bytes = 0;
    for (auto _ : State) {
        THiddenOutput& hidden = host.Begin();
        if (host.Plugin->Play(ExampleSong) != 0) {
            State.SkipWithError("the example song did not play");
            break;
        }
        for (size_t got; (got = hidden.Read(buffer.data(), buffer.size())) > 0;) {
            bytes += static_cast<int64_t>(got);
        }
        host.End();
    }
    State.counters["RealTime"] =
        benchmark::Counter(static_cast<double>(bytes) / OutputBytesPerSecond, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HiddenOutputDecodeExample)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HiddenOutputStopWhileWriteBlocked(benchmark::State& State)
{
    THiddenHost host;
    std::vector<uint8_t> buffer(10000);
    for (auto _ : State) {
        THiddenOutput& hidden = host.Begin();
        if (host.Plugin->Play(ExampleSong) != 0 || hidden.Read(buffer.data(), buffer.size()) != buffer.size() ||
            !hidden.WaitUntilWriteBlocked(std::chrono::seconds(10))) {
            State.SkipWithError("no Write blocked");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        hidden.GiveUp();
        host.Plugin->Stop();
        State.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        host.End();
    }
}

double Largest(const std::vector<double>& Values)
{
    return Values.empty() ? 0 : *std::max_element(Values.begin(), Values.end());
}

BENCHMARK(BM_HiddenOutputStopWhileWriteBlocked)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(25)
    ->ComputeStatistics("max", Largest)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
