// The re-entrant lock as a Win32 critical section.

#include <windows.h>

#include "platform/PlatformLock.h"

static_assert(sizeof(CRITICAL_SECTION) <= 64, "TCriticalSection storage too small");

namespace {

CRITICAL_SECTION* Native(unsigned char* Storage)
{
    return reinterpret_cast<CRITICAL_SECTION*>(Storage);
}

}  // namespace

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
