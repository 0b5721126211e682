#pragma once
// Ctrl-C (SIGINT) and a request to end (SIGTERM) noted instead of ending the
// process, for as long as an object of this class lives: a long piece of work
// sees the note, stops and cleans up after itself. The handlers before it are
// put back when it ends. The C library catches both alike on every system
// (PlatformStopSignals.cpp).

class TStopSignals {
public:
    TStopSignals();  // forgets a signal noted before
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The number of the signal that came, 0 while none has.
    static int Caught();

private:
    void (*OldInterrupt)(int);
    void (*OldTerminate)(int);
};
