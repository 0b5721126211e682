#pragma once
// What wakes the play loop: a message posted to the host's window (by the
// plug-in's player thread), a signal, or input on the terminal. Posts go
// through a pipe, so any thread and any signal handler may post.

#include <cstdint>

struct THostEvent {
    enum TKind { Timeout, WindowMessage, Signal, Input } Kind = Timeout;
    unsigned Message = 0;  // the window message (Message)
    uintptr_t WParam = 0;  // its first argument (Message)
    intptr_t LParam = 0;   // its second argument (Message)
    int Number = 0;        // the signal (Signal)
};

class THostEventQueue {
public:
    THostEventQueue();
    ~THostEventQueue();
    THostEventQueue(const THostEventQueue&) = delete;
    THostEventQueue& operator=(const THostEventQueue&) = delete;

    // False when the pipe could not be made.
    bool IsOpen() const { return WriteEnd >= 0; }
    void PostMessage(unsigned Message, uintptr_t WParam, intptr_t LParam);
    // Safe in a signal handler.
    void PostSignal(int Number);
    // The next event; waits up to TimeoutMs. With InputFd >= 0 readable input
    // there is an event too (the caller reads it).
    THostEvent Wait(int TimeoutMs, int InputFd = -1);
    // Forgets the window messages posted so far; signals stay queued.
    void DropMessages();

private:
    bool ReadOne(THostEvent& Event);

    int ReadEnd = -1;
    int WriteEnd = -1;
    int HeldSignal = 0;  // a signal read while dropping messages, handed out next
};
