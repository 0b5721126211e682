#include "bench/Mpg123Reference.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

double Mpg123Seconds(const std::string& Path)
{
    const std::string command = "mpg123 -t -q \"" + Path + "\" >/dev/null 2>&1";
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            return 0.0;
        }
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void SetDecodeCounters(benchmark::State& State, double AudioSeconds, double ElapsedSeconds, double Mpg123Seconds)
{
    const double iterations = static_cast<double>(State.iterations());
    State.counters["RealTime"] = benchmark::Counter(AudioSeconds * iterations, benchmark::Counter::kIsRate);
    if (Mpg123Seconds > 0.0) {
        State.counters["VsMpg123"] = ElapsedSeconds / iterations / Mpg123Seconds;
    }
}
