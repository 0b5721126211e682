#pragma once
// The terminal while morvel plays: keys without line buffering or echo, one
// status line redrawn in place, and signals that end playback in order without
// leaving the terminal in that mode.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class THostEventQueue;

enum class THostKey { PauseResume, Back, Forward, Next, Quit };

// Turns typed bytes into keys: space, n, q and the left and right arrows
// (either cursor-key form). An escape sequence split between two reads is
// completed by the next; other keys and sequences are passed over.
class TKeyDecoder {
public:
    std::vector<THostKey> Decode(const char* Bytes, size_t Count);

private:
    std::string Pending;  // the start of an unfinished escape sequence
};

// Input from Fd without line buffering and echo until the object ends. Also
// restored while the process is stopped (Ctrl-Z), when a second quit signal
// ends it at once, and when it crashes. Nothing happens when Fd is no terminal.
class TRawTerminal {
public:
    explicit TRawTerminal(int Fd);
    ~TRawTerminal();
    TRawTerminal(const TRawTerminal&) = delete;
    TRawTerminal& operator=(const TRawTerminal&) = delete;

    bool IsRaw() const { return Raw; }

private:
    bool Raw = false;
};

// While the object lives, SIGINT, SIGTERM, SIGHUP and SIGQUIT are posted to
// the queue, so that the play loop stops, quits and restores what it changed;
// a second one ends the process at once (128 + the signal).
class TQuitSignals {
public:
    explicit TQuitSignals(THostEventQueue& Queue);
    ~TQuitSignals();
    TQuitSignals(const TQuitSignals&) = delete;
    TQuitSignals& operator=(const TQuitSignals&) = delete;
};

// One line at the bottom of the terminal, rewritten in place and cut to the
// terminal's width.
class TStatusLine {
public:
    explicit TStatusLine(std::FILE* Out) : Out(Out) { }
    void Show(const std::string& Utf8Text);
    void Clear();

private:
    std::FILE* Out;
    bool Shown = false;
};
