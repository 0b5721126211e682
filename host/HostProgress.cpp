#include "host/HostProgress.h"

#include <algorithm>
#include <cmath>

#include "host/HostColumns.h"
#include "platform/PlatformTerminal.h"

namespace {

constexpr auto RedrawInterval = std::chrono::milliseconds(100);
// A single file shows no bar when it is done sooner.
constexpr auto SingleFileQuietTime = std::chrono::milliseconds(500);
constexpr int BarCells = 20;
// A name shortened below this many columns says nothing any more.
constexpr int ShortestName = 8;

// "[#####---------------]  25%" with Cells cells; "25%" with none.
std::string Bar(double Done, int Cells)
{
    const double part = std::clamp(Done, 0.0, 1.0);
    const int percent = static_cast<int>(std::floor(part * 100));
    char text[64];
    if (Cells == 0) {
        std::snprintf(text, sizeof text, "%d%%", percent);
        return text;
    }
    const int filled = static_cast<int>(std::floor(part * Cells));
    std::snprintf(text, sizeof text, "[%.*s%.*s]%4d%%", filled, "####################", Cells - filled,
                  "--------------------", percent);
    return text;
}

}  // namespace

std::string ProgressText(int File, int FileCount, const std::string& Name, double Done, int Columns)
{
    char counterText[32];
    std::snprintf(counterText, sizeof counterText, "[%d/%d] ", File + 1, FileCount);
    const std::string counter = counterText;
    const double all = (File + std::clamp(Done, 0.0, 1.0)) / FileCount;
    // One column is left free, so the cursor never wraps to a new line.
    const int room = Columns - 1;
    // Narrower terminals get shorter bars, then percentages alone, then less.
    for (const int cells : {BarCells, BarCells / 2, 0}) {
        std::string bars = "  " + Bar(Done, cells);
        if (FileCount > 1) {
            bars += "  all " + Bar(all, cells);
        }
        // The name gets what is left of the line, its end kept (that is where names differ).
        const int nameRoom = room - TextColumns(counter) - TextColumns(bars);
        if (nameRoom >= std::min(ShortestName, TextColumns(Name))) {
            return counter + ShortenToColumns(Name, nameRoom, true) + bars;
        }
    }
    const std::string percentages = FileCount > 1 ? Bar(Done, 0) + "  all " + Bar(all, 0) : Bar(Done, 0);
    for (const std::string& text : {counter + percentages, counter + Bar(Done, 0), Bar(Done, 0)}) {
        if (TextColumns(text) <= room) {
            return text;
        }
    }
    return "";
}

TProgressBar::TProgressBar(std::FILE* Out, int FileCount)
    : Out(Out), FileCount(FileCount), Enabled(PlatformIsTerminal(Out))
{
}

void TProgressBar::Update(int File, const std::string& Name, double Done)
{
    if (!Enabled) {
        return;
    }
    const TClock::time_point now = TClock::now();
    if (FileCount == 1 && now - Started < SingleFileQuietTime) {
        return;
    }
    if (now - LastDrawn < RedrawInterval) {
        return;
    }
    const int columns = TerminalWidth(Out);
    const std::string text = ProgressText(File, FileCount, Name, Done, columns);
    // Blanks over the rest of a longer line before (no terminal escape codes
    // needed), up to the terminal's width, which may have shrunk.
    const int width = TextColumns(text);
    const int blanks = std::clamp(LastWidth - width, 0, std::max(columns - 1 - width, 0));
    std::fprintf(Out, "\r%s%s", text.c_str(), std::string(static_cast<size_t>(blanks), ' ').c_str());
    std::fflush(Out);
    Shown = true;
    LastWidth = width;
    LastDrawn = now;
}

void TProgressBar::MakeWayFor(std::FILE* Stream)
{
    if (Stream == Out || PlatformIsTerminal(Stream)) {
        Clear();
    }
}

void TProgressBar::Clear()
{
    if (!Shown) {
        return;
    }
    const int blanks = std::min(LastWidth, TerminalWidth(Out) - 1);
    std::fprintf(Out, "\r%s\r", std::string(static_cast<size_t>(std::max(blanks, 0)), ' ').c_str());
    std::fflush(Out);
    Shown = false;
    LastWidth = 0;
}
