#pragma once
// The keys typed on the terminal while morvel plays (the terminal's mode and
// the signals are platform/PlatformRawTerminal.h's).

#include <cstddef>
#include <string>
#include <vector>

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
