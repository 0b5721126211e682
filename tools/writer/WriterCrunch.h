#pragma once
// Pattern crunching: rows to the repeat-counted event stream a reader uncrunches.

#include <cstdint>
#include <vector>

#include "tools/writer/WriterSong.h"

// The crunched event data of a pattern: a track speaks only when its cell is
// not covered by the repeat count of the last time it spoke.
std::vector<uint8_t> CrunchPattern(const TWriterPattern& Pattern);
