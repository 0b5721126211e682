#pragma once
// Legal songs that ask the most of the engine, for the tests that hold it to
// its bounds, the benchmarks that time those bounds and the fuzzers' seeds.

#include <cstdint>
#include <vector>

// The longest silent length run a legal file can ask for: 256 ticks a second
// (688 bytes of output a tick, the shortest), 32 tracks with a note, a pitch
// slide and a volume slide on every row, and 65535 sequence entries of one
// 1024-row pattern, so the song outlasts the 32-bit byte total of its length
// run (3,121,342 ticks) long before its sequence ends.
std::vector<uint8_t> WriteLongestLegalSong();
