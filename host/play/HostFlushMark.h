#pragma once
// The output's flushes as the host sees them: how many there were so far, and
// the time the last one set (ms). A seek done by the plug-in shows as a flush.

#include <cstdint>

struct TFlushMark {
    int64_t Count = 0;
    int TimeMs = 0;
};
