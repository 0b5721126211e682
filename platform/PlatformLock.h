#pragma once
// Re-entrant lock: a critical section on Windows, a recursive mutex elsewhere.
// The thread that holds it may enter it again; every Enter needs its Leave.

#ifndef _WIN32
#include <mutex>
#endif

class TCriticalSection {
public:
    TCriticalSection();
    ~TCriticalSection();
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter();
    void Leave();

private:
#ifdef _WIN32
    // Storage for the Win32 CRITICAL_SECTION, kept opaque so that <windows.h>
    // stays out of every header that includes this one.
    alignas(8) unsigned char Section[64];
#else
    std::recursive_mutex Mutex;  // native stand-in with the same re-entry rules
#endif
};

// Holds a TCriticalSection for the lifetime of the guard.
class TLockGuard {
public:
    explicit TLockGuard(TCriticalSection& lock) : Lock(lock) { Lock.Enter(); }
    ~TLockGuard() { Lock.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TCriticalSection& Lock;  // the lock held
};
