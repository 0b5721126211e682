#include "host/HostProgress.h"

#include <algorithm>
#include <cmath>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

constexpr auto RedrawInterval = std::chrono::milliseconds(100);
// A single file shows no bar when it is done sooner.
constexpr auto SingleFileQuietTime = std::chrono::milliseconds(500);
constexpr int BarCells = 20;

bool IsTerminal(std::FILE* Stream)
{
#ifdef _WIN32
    return _isatty(_fileno(Stream)) != 0;
#else
    return isatty(fileno(Stream)) != 0;
#endif
}

int TerminalColumns(std::FILE* Stream)
{
#ifndef _WIN32
    winsize size = {};
    if (ioctl(fileno(Stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#else
    (void)Stream;
#endif
    return 80;
}

// "[#####---------------]  25%"
std::string Bar(double Done)
{
    const double part = std::clamp(Done, 0.0, 1.0);
    const int filled = static_cast<int>(std::floor(part * BarCells));
    char text[64];
    std::snprintf(text, sizeof text, "[%.*s%.*s]%4d%%", filled, "####################", BarCells - filled,
                  "--------------------", static_cast<int>(std::floor(part * 100)));
    return text;
}

}  // namespace

std::string ProgressText(int File, int FileCount, const std::string& Name, double Done, int Columns)
{
    char counterText[32];
    std::snprintf(counterText, sizeof counterText, "[%d/%d] ", File + 1, FileCount);
    const std::string counter = counterText;
    std::string bars = "  " + Bar(Done);
    if (FileCount > 1)
        bars += "  all " + Bar((File + std::clamp(Done, 0.0, 1.0)) / FileCount);
    // The name gets what is left of the line, its end kept (that is where names differ).
    const int room = std::max(Columns - 1 - static_cast<int>(counter.size() + bars.size()), 0);
    std::string name = Name;
    if (static_cast<int>(name.size()) > room) {
        name = room > 3 ? name.substr(name.size() - static_cast<size_t>(room - 3)) : "";
        // Not from inside a UTF-8 character.
        while (!name.empty() && (static_cast<unsigned char>(name[0]) & 0xC0) == 0x80)
            name.erase(0, 1);
        if (room > 3)
            name.insert(0, "...");
    }
    return counter + name + bars;
}

TProgressBar::TProgressBar(std::FILE* Out, int FileCount) : Out(Out), FileCount(FileCount), Enabled(IsTerminal(Out))
{
}

void TProgressBar::Update(int File, const std::string& Name, double Done)
{
    if (!Enabled)
        return;
    const TClock::time_point now = TClock::now();
    if (FileCount == 1 && now - Started < SingleFileQuietTime)
        return;
    if (now - LastDrawn < RedrawInterval)
        return;
    const std::string text = ProgressText(File, FileCount, Name, Done, TerminalColumns(Out));
    // Blanks over the rest of a longer line before: no terminal escape codes needed.
    const size_t blanks = LastLength > text.size() ? LastLength - text.size() : 0;
    std::fprintf(Out, "\r%s%s", text.c_str(), std::string(blanks, ' ').c_str());
    std::fflush(Out);
    Shown = true;
    LastLength = text.size();
    LastDrawn = now;
}

void TProgressBar::MakeWayFor(std::FILE* Stream)
{
    if (Stream == Out || IsTerminal(Stream))
        Clear();
}

void TProgressBar::Clear()
{
    if (!Shown)
        return;
    std::fprintf(Out, "\r%s\r", std::string(LastLength, ' ').c_str());
    std::fflush(Out);
    Shown = false;
    LastLength = 0;
}
