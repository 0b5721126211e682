#pragma once
// A pipe of small fixed-size records that any thread, and a signal handler,
// may post to, and a wait for the next record or for keys on standard input:
// what wakes morvel play's loop. Linux only (morvel play's):
// PlatformEventPipeNative.cpp is its one body.

#include <cstddef>
#include <memory>

class TPlatformEventPipe {
public:
    TPlatformEventPipe();
    ~TPlatformEventPipe();

    // False when the pipe could not be made.
    bool IsOpen() const { return Ends != nullptr; }
    // Writes the record whole (a few dozen bytes at most, so that posts from
    // several threads never mix). Safe in a signal handler; errno is kept.
    void Post(const void* Record, size_t Bytes);
    // Reads the next record whole, without waiting; false when there is none.
    bool Take(void* Record, size_t Bytes);

    // What a wait found ready; neither when the time passed or a signal
    // interrupted it (the signal's post follows).
    struct TReady {
        bool Record = false;
        bool Input = false;
    };
    // Waits up to TimeoutMs (negative: without end) for a record or, with
    // WatchInput, for standard input to be readable.
    TReady Wait(int TimeoutMs, bool WatchInput);

private:
    struct TEnds;
    std::unique_ptr<TEnds> Ends;  // the pipe's two ends, closed with it; null when none was made
};
