#include "platform/PlatformLock.h"

#ifdef _WIN32
#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "TCriticalSection storage too small");
static CRITICAL_SECTION* Native(unsigned char* storage)
{
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

TCriticalSection::TCriticalSection()
{
    InitializeCriticalSection(Native(Section));
}
TCriticalSection::~TCriticalSection()
{
    DeleteCriticalSection(Native(Section));
}
void TCriticalSection::Enter()
{
    EnterCriticalSection(Native(Section));
}
void TCriticalSection::Leave()
{
    LeaveCriticalSection(Native(Section));
}
#else
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
#endif
