// The player's thread on Windows.

#include "platform/PlatformThread.h"

#include <windows.h>

namespace {

DWORD WINAPI RunThread(LPVOID Parameter)
{
    auto* run = static_cast<std::function<void()>*>(Parameter);
    try {
        (*run)();
    } catch (...) {
        // A thread's failure must not end the host's process.
    }
    return 0;
}

}  // namespace

struct TPlatformThread::TState {
    HANDLE Handle = nullptr;
    DWORD Id = 0;
    std::function<void()> Run;  // lives as long as the thread may use it
};

TPlatformThread::TPlatformThread() : State(std::make_unique<TState>())
{
}

TPlatformThread::~TPlatformThread()
{
    if (!State->Handle) {
        return;
    }
    const bool running = WaitForSingleObject(State->Handle, 0) != WAIT_OBJECT_0;
    CloseHandle(State->Handle);
    // A thread still running keeps its function: it is let go with it.
    if (running) {
        State.release();
    }
}

bool TPlatformThread::Start(std::function<void()> Run)
{
    if (State->Handle) {
        return false;
    }
    State->Run = std::move(Run);
    State->Handle = CreateThread(nullptr, 0, RunThread, &State->Run, 0, &State->Id);
    return State->Handle != nullptr;
}

void TPlatformThread::Join()
{
    if (!State->Handle || GetCurrentThreadId() == State->Id) {
        return;
    }
    WaitForSingleObject(State->Handle, INFINITE);
    CloseHandle(State->Handle);
    State->Handle = nullptr;
}

void PlatformSleep(unsigned Milliseconds)
{
    Sleep(Milliseconds);
}
