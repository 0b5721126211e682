#pragma once
// The MPEG decoding benchmarks' yardstick: Debian's mpg123 decoding the same
// stream file, timed as a whole process (its start-up counts against it).

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

// Runs Decode (which decodes the stream held in the file Path once and answers the
// seconds of audio it held) per iteration, each after one run of `mpg123 -t -q`
// on the same file, outside the timing. Counters: "RealTime", seconds of audio
// decoded per second of wall time; "VsMpg123", the median over the iterations of
// this decoder's wall time divided by that of the mpg123 run just before it;
// "VsMpg123Cpu", the same with processor times (user and system), which the
// other work of a shared machine disturbs less. Both are left out when mpg123
// cannot be run.
void MeasureAgainstMpg123(benchmark::State& State, const std::string& Path, const std::function<double()>& Decode);
