#pragma once
// The terminal while morvel plays: keys read from standard input as they are
// typed, and the signals that end playback in order without leaving the
// terminal in that mode. Linux only (morvel play's):
// PlatformRawTerminalNative.cpp is its one body.

// Standard input without line buffering and echo while the object lives.
// Also restored while the process is stopped (Ctrl-Z; raw again when it
// goes on), when a second quit signal ends it at once (TQuitSignals), and
// when it crashes. Nothing happens when Wanted is false or standard input is
// no terminal.
class TRawTerminal {
public:
    explicit TRawTerminal(bool Wanted);
    ~TRawTerminal();
    TRawTerminal(const TRawTerminal&) = delete;
    TRawTerminal& operator=(const TRawTerminal&) = delete;

    bool IsRaw() const { return Raw; }

private:
    bool Raw = false;
};

// Reads the bytes typed on standard input, up to Count: how many were read;
// 0 when there were none after all; negative when input has ended or failed
// (no more will come).
int PlatformReadInput(char* Bytes, int Count);

// While the object lives, SIGINT, SIGTERM, SIGHUP and SIGQUIT are told to
// OnFirst(Context, the signal's number) from the signal handler, which may
// only do what a handler may (post to a TPlatformEventPipe); the program then
// ends in order. A second one ends the process at once (128 + its number),
// the terminal restored. A signal the process was told to ignore (SIGINT of a
// background job, SIGHUP under nohup) stays ignored.
class TQuitSignals {
public:
    using TNotify = void (*)(void* Context, int Number);
    TQuitSignals(TNotify OnFirst, void* Context);
    ~TQuitSignals();
    TQuitSignals(const TQuitSignals&) = delete;
    TQuitSignals& operator=(const TQuitSignals&) = delete;
};
