#pragma once
// Points file descriptor 1 somewhere else (the null device, or another
// descriptor such as standard error) while a library that prints to standard
// output is loaded; the host keeps writing to the original through Console().
// Everything is put back when the object ends.

#include <cstdio>

class TStdoutRedirect {
public:
    // TargetFd: where descriptor 1 goes; -1 for the null device.
    explicit TStdoutRedirect(int TargetFd = -1);
    ~TStdoutRedirect();
    TStdoutRedirect(const TStdoutRedirect&) = delete;
    TStdoutRedirect& operator=(const TStdoutRedirect&) = delete;

    // The original standard output; stdout itself when nothing could be redirected.
    std::FILE* Console() const { return Saved ? Saved : stdout; }

private:
    std::FILE* Saved = nullptr;  // a stream on a copy of the original descriptor 1
    int SavedFd = -1;
};
