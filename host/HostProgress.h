#pragma once
// A progress bar on a terminal for a run over several files: the file at work
// and the whole run, redrawn in place at most ten times a second. A run of one
// file shows it only once the file has taken a moment; a stream that is no
// terminal gets nothing at all.

#include <chrono>
#include <cstdio>
#include <string>

class TProgressBar {
public:
    TProgressBar(std::FILE* Out, int FileCount);
    ~TProgressBar() { Clear(); }
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    // File: 0-based index of the file at work; Done: its part done, 0..1.
    void Update(int File, const std::string& Name, double Done);
    // Erases the bar before a line goes to Stream, when Stream is a terminal
    // too; the next update draws it again.
    void MakeWayFor(std::FILE* Stream);
    // Erases the bar.
    void Clear();

private:
    using TClock = std::chrono::steady_clock;

    std::FILE* Out;
    const int FileCount;
    const bool Enabled;
    bool Shown = false;
    int LastWidth = 0;  // columns of the line drawn last
    const TClock::time_point Started = TClock::now();
    TClock::time_point LastDrawn{};  // long ago: the first update draws
};

// The bar's text for a terminal Columns wide: "[2/5] name  [####------]  40%  all [##--------]  28%",
// at most Columns - 1 columns: on a narrow terminal the name is shortened, then
// the bars, then only the percentages are left.
std::string ProgressText(int File, int FileCount, const std::string& Name, double Done, int Columns);
