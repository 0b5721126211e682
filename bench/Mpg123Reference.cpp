#include "bench/Mpg123Reference.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

struct TTimes {
    double Wall = 0.0;  // seconds
    double Cpu = 0.0;   // seconds of user and system time
};

double Seconds(const timeval& Time)
{
    return static_cast<double>(Time.tv_sec) + static_cast<double>(Time.tv_usec) * 1e-6;
}

double CpuSeconds(int Who)
{
    rusage usage{};
    getrusage(Who, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// Times Work: the wall clock and the processor time of Who (this process, or the
// children it waited for).
template <typename TWork> TTimes Timed(int Who, TWork&& Work)
{
    const double cpu = CpuSeconds(Who);
    const auto start = std::chrono::steady_clock::now();
    Work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds(Who) - cpu};
}

double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

}  // namespace

void MeasureAgainstMpg123(benchmark::State& State, const std::string& Path, const std::function<double()>& Decode)
{
    const std::string command = "mpg123 -t -q \"" + Path + "\" >/dev/null 2>&1";
    bool referenceRuns = true;
    std::vector<double> wallRatios, cpuRatios;
    double audioSeconds = 0.0;
    for (auto _ : State) {
        State.PauseTiming();
        TTimes reference;
        if (referenceRuns) {
            reference = Timed(RUSAGE_CHILDREN, [&] { referenceRuns = std::system(command.c_str()) == 0; });
        }
        State.ResumeTiming();
        const TTimes ours = Timed(RUSAGE_SELF, [&] { audioSeconds = Decode(); });
        if (referenceRuns && reference.Wall > 0.0 && reference.Cpu > 0.0) {
            wallRatios.push_back(ours.Wall / reference.Wall);
            cpuRatios.push_back(ours.Cpu / reference.Cpu);
        }
    }
    const double iterations = static_cast<double>(State.iterations());
    State.counters["RealTime"] = benchmark::Counter(audioSeconds * iterations, benchmark::Counter::kIsRate);
    if (referenceRuns && !wallRatios.empty()) {
        State.counters["VsMpg123"] = Median(wallRatios);
        State.counters["VsMpg123Cpu"] = Median(cpuRatios);
    }
}
