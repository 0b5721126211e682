// The re-entrant lock as a recursive mutex, with a critical section's rules.

#include "platform/PlatformLock.h"

TCriticalSection::TCriticalSection() = default;
TCriticalSection::~TCriticalSection() = default;

void TCriticalSection::Enter()
{
    Mutex.lock();
}

void TCriticalSection::Leave()
{
    Mutex.unlock();
}
