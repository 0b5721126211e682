#pragma once
// The MPEG decoding benchmarks' yardstick: Debian's mpg123 decoding the same
// stream file, timed as a whole process (its start-up counts against it).

#include <benchmark/benchmark.h>

#include <string>

// Median wall time of `mpg123 -t -q` on Path over a few runs, 0 when it cannot be run.
double Mpg123Seconds(const std::string& Path);

// The decoding benchmarks' counters: "RealTime", seconds of audio decoded per
// second of wall time, and "VsMpg123", this decoder's time per stream divided
// by mpg123's (left out when mpg123 could not be run).
void SetDecodeCounters(benchmark::State& State, double AudioSeconds, double ElapsedSeconds, double Mpg123Seconds);
