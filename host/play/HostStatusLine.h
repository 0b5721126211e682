#pragma once
// The line morvel play keeps at the bottom of the terminal: which entry plays,
// its title, the position and whether it is paused. It is rewritten in place
// and never wider than the terminal, so it never wraps onto a second line.

#include <cstdio>
#include <string>

struct TStatusParts {
    std::string Counter;   // "[2/9]"
    std::string Title;     // UTF-8
    std::string Clock;     // "1:02 / 3:45"
    std::string Position;  // "1:02", what Clock shows first
    bool Paused = false;
};

// The status text in at most Columns columns. The position and "paused" are
// never cut: the title is shortened first, then left out with the counter,
// then the song's length; only when even "1:02 paused" does not fit is the
// text cut.
std::string FitStatusLine(const TStatusParts& Parts, int Columns);

class TStatusLine {
public:
    explicit TStatusLine(std::FILE* Out) : Out(Out) { }
    void Show(const TStatusParts& Parts);
    // Erases the line, so that other text can be written where it was.
    void Clear();

private:
    std::FILE* Out;
    bool Shown = false;
};
