// The player's thread outside Windows: a real thread, each start noted in the
// record (PlatformRecord.h); its pauses can be shortened for a driver with no
// real output.

#include "platform/PlatformThread.h"

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "platform/PlatformRecord.h"

namespace {

std::atomic<unsigned> SleepDivisor{1};

}  // namespace

struct TPlatformThread::TState {
    std::thread Thread;
};

TPlatformThread::TPlatformThread() : State(std::make_unique<TState>())
{
}

TPlatformThread::~TPlatformThread()
{
    if (State->Thread.joinable()) {
        State->Thread.detach();
    }
}

bool TPlatformThread::Start(std::function<void()> Run)
{
    if (State->Thread.joinable()) {
        return false;
    }
    try {
        State->Thread = std::thread(std::move(Run));
    } catch (const std::system_error&) {
        return false;
    }
    PlatformRecordNote([](TPlatformRecord& r) { ++r.ThreadsStarted; });
    return true;
}

void TPlatformThread::Join()
{
    if (State->Thread.joinable() && State->Thread.get_id() != std::this_thread::get_id()) {
        State->Thread.join();
    }
}

void PlatformSleep(unsigned Milliseconds)
{
    std::this_thread::sleep_for(std::chrono::microseconds(Milliseconds * 1000ull / SleepDivisor.load()));
}

void PlatformRecordShortenSleeps(unsigned Divisor)
{
    SleepDivisor = Divisor == 0 ? 1 : Divisor;
}
