#include "host/play/HostOutputClocks.h"

#include <algorithm>

void TOutputClocks::Open(int Rate, int FrameBytes)
{
    BytesPerSecond = static_cast<int64_t>(Rate) * FrameBytes;
    FlushMs = 0;
    WrittenBytes = 0;
    LastHeardMs = 0;
}

void TOutputClocks::Flushed(int TimeMs)
{
    FlushMs = TimeMs;
    WrittenBytes = 0;
    LastHeardMs = TimeMs;
    ++Marks.Count;
    Marks.TimeMs = TimeMs;
}

int TOutputClocks::HeardMs(int64_t Heard)
{
    LastHeardMs = std::max(LastHeardMs, FlushMs + MsOf(std::clamp<int64_t>(Heard, 0, WrittenBytes)));
    return LastHeardMs;
}
