#pragma once
// The player's thread and its pauses. PlatformThreadWin32.cpp makes the real
// calls; natively PlatformThreadNative.cpp runs a real thread too and notes
// each start in the record (PlatformRecord.h).

#include <functional>
#include <memory>

// A thread that runs one function; Join waits until it has ended (at once when
// it never started or was joined already).
class TPlatformThread {
public:
    TPlatformThread();
    ~TPlatformThread();  // never waits: a thread still running is let go
    TPlatformThread(const TPlatformThread&) = delete;
    TPlatformThread& operator=(const TPlatformThread&) = delete;

    // False when no thread could be made.
    bool Start(std::function<void()> Run);
    void Join();

private:
    struct TState;
    std::unique_ptr<TState> State;
};

// The player thread's pause between two polls of the output or of its state.
void PlatformSleep(unsigned Milliseconds);
