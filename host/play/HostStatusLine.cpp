#include "host/play/HostStatusLine.h"

#include <algorithm>

#include "host/HostColumns.h"

namespace {

// A title shortened below this many columns says nothing any more.
constexpr int ShortestTitle = 6;

}  // namespace

std::string FitStatusLine(const TStatusParts& Parts, int Columns)
{
    const std::string paused = Parts.Paused ? "  paused" : "";
    const std::string tail = "  " + Parts.Clock + paused;
    const std::string counter = Parts.Counter + " ";
    const int titleRoom = Columns - TextColumns(counter) - TextColumns(tail);
    if (titleRoom >= std::min(ShortestTitle, TextColumns(Parts.Title))) {
        return counter + ShortenToColumns(Parts.Title, titleRoom) + tail;
    }
    for (const std::string& text : {Parts.Counter + tail, Parts.Clock + paused, Parts.Position + paused,
                                    Parts.Position + (Parts.Paused ? " paused" : "")}) {
        if (TextColumns(text) <= Columns) {
            return text;
        }
    }
    return FirstColumns(Parts.Position + (Parts.Paused ? " paused" : ""), Columns);
}

void TStatusLine::Show(const TStatusParts& Parts)
{
    // One column is left free, so the cursor never wraps to a new line.
    std::fprintf(Out, "\r%s\x1b[K", FitStatusLine(Parts, TerminalWidth(Out) - 1).c_str());
    std::fflush(Out);
    Shown = true;
}

void TStatusLine::Clear()
{
    if (!Shown) {
        return;
    }
    std::fprintf(Out, "\r\x1b[K");
    std::fflush(Out);
    Shown = false;
}
