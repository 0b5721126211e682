#pragma once
// What wakes the play loop: a message posted to the host's window (by the
// plug-in's player thread), a signal, or keys typed on standard input. Posts
// go through the platform's event pipe, so any thread and any signal handler
// may post.

#include <cstdint>

#include "platform/PlatformEventPipe.h"

struct THostEvent {
    enum TKind { Timeout, WindowMessage, Signal, Input } Kind = Timeout;
    unsigned Message = 0;  // the window message (Message)
    uintptr_t WParam = 0;  // its first argument (Message)
    intptr_t LParam = 0;   // its second argument (Message)
    int Number = 0;        // the signal (Signal)
};

class THostEventQueue {
public:
    // False when the pipe could not be made.
    bool IsOpen() const { return Pipe.IsOpen(); }
    void PostMessage(unsigned Message, uintptr_t WParam, intptr_t LParam);
    // Safe in a signal handler.
    void PostSignal(int Number);
    // The next event; waits up to TimeoutMs. With WatchInput, keys waiting
    // on standard input are an event too (the caller reads them).
    THostEvent Wait(int TimeoutMs, bool WatchInput = false);
    // Forgets the window messages posted so far; signals stay queued.
    void DropMessages();

private:
    bool ReadOne(THostEvent& Event);

    TPlatformEventPipe Pipe;
    int HeldSignal = 0;  // a signal read while dropping messages, handed out next
};
