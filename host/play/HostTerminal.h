#pragma once
// The terminal while morvel plays: keys without line buffering or echo, and
// signals that end playback in order without leaving the terminal in that mode.

#include <cstddef>
#include <string>
#include <vector>

class THostEventQueue;

// The keys of morvel play, as HostPlayKeys.h lists them for users.
enum class THostKey { PauseResume, Back, Forward, BackSecond, ForwardSecond, Next, Previous, Help, Quit };

// Turns typed bytes into keys, every key in the order typed: space or c, the
// left and right arrows (either cursor-key form), "," and ".", n or b, p or
// z, h or ?, q or Esc. An escape sequence split between two reads is completed
// by the next. Esc alone is told from the start of a sequence by what follows
// it; when nothing does, the caller waits a moment for more and then calls
// Flush. Other keys and sequences are passed over.
class TKeyDecoder {
public:
    std::vector<THostKey> Decode(const char* Bytes, size_t Count);
    // True while the bytes read so far end in an unfinished escape sequence.
    bool HasPending() const { return !Pending.empty(); }
    // No more bytes came: an Esc on its own is the key; the start of a longer
    // sequence is dropped.
    std::vector<THostKey> Flush();

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
