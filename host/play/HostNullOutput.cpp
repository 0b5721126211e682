#include "host/play/HostNullOutput.h"

namespace {

// Room the silent output always has: more than the plug-in writes at once.
constexpr int AlwaysRoom = 1 << 20;

}  // namespace

int TNullOutput::Open(int Rate, int Channels, int BitsPerSample, int, int)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Clocks.Open(Rate, Channels * BitsPerSample / 8);
    Paused = false;
    return 0;
}

int TNullOutput::Write(const char*, int Count)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Clocks.Wrote(Count > 0 ? Count : 0);
    return 0;
}

int TNullOutput::CanWrite()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Paused ? 0 : AlwaysRoom;
}

int TNullOutput::Pause(int Pause)
{
    std::lock_guard<std::mutex> lock(Mutex);
    const bool previous = Paused;
    Paused = Pause != 0;
    return previous ? 1 : 0;
}

void TNullOutput::Flush(int TimeMs)
{
    std::lock_guard<std::mutex> lock(Mutex);
    Clocks.Flushed(TimeMs);
}

int TNullOutput::GetOutputTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Clocks.HeardMs(Clocks.Written());
}

int TNullOutput::GetWrittenTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Clocks.WrittenMs();
}

TFlushMark TNullOutput::LastFlush()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Clocks.Flushes();
}
