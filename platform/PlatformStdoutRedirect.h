#pragma once
// Points the process's standard output somewhere else (the null device, or
// another stream such as standard error) while a library that prints to it is
// loaded; the program keeps writing to the original through Console().
// Everything is put back when the object ends. Linux only (morvel play's):
// PlatformStdoutRedirectNative.cpp is its one body.

#include <cstdio>

class TStdoutRedirect {
public:
    // Target: where standard output goes meanwhile; null for the null device.
    explicit TStdoutRedirect(std::FILE* Target = nullptr);
    ~TStdoutRedirect();
    TStdoutRedirect(const TStdoutRedirect&) = delete;
    TStdoutRedirect& operator=(const TStdoutRedirect&) = delete;

    // The original standard output; stdout itself when nothing could be redirected.
    std::FILE* Console() const { return Saved ? Saved : stdout; }

private:
    std::FILE* Saved = nullptr;  // a stream on a copy of the original descriptor 1
    int SavedFd = -1;
};
