// The status line of morvel play on terminals of every width: the position
// and "paused" are never cut, the title gives way first, nothing is ever
// wider than the terminal; and the title of an entry whose song has no name.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "host/HostColumns.h"
#include "host/play/HostEntryTitle.h"
#include "host/play/HostStatusLine.h"

namespace {

TStatusParts Parts(const std::string& Title, bool Paused)
{
    TStatusParts parts;
    parts.Counter = "[12/140]";
    parts.Title = Title;
    parts.Position = "12:34";
    parts.Clock = "12:34 / 15:00";
    parts.Paused = Paused;
    return parts;
}

TEST(HostStatusLine, FitsEveryWidthAndNeverCutsThePositionOrPaused)
{
    const std::string titles[] = {
        "Morvel Demo - The Morvel project",
        "M\xC3\xBCller - \xC3\x84rger \xC3\xBC"
        "ber alles",                                                        // Latin-1 made UTF-8
        "\xE6\xBC\xA2\xE5\xAD\x97\xE6\xBC\xA2\xE5\xAD\x97 - \xE6\xBC\xA2",  // wide characters
        "x",
    };
    for (const std::string& title : titles) {
        for (const bool paused : {false, true}) {
            for (int columns = 0; columns <= 100; ++columns) {
                const std::string line = FitStatusLine(Parts(title, paused), columns);
                ASSERT_LE(TextColumns(line), columns) << columns << ": " << line;
                // "12:34 paused" is the least that says it all.
                if (columns >= (paused ? 12 : 5)) {
                    EXPECT_NE(line.find("12:34"), std::string::npos) << columns << ": " << line;
                    EXPECT_EQ(line.find("paused") != std::string::npos, paused) << columns << ": " << line;
                }
                if (columns >= TextColumns("[12/140] " + title + "  12:34 / 15:00  paused")) {
                    EXPECT_NE(line.find(title), std::string::npos) << columns << ": " << line;
                }
            }
        }
    }
}

TEST(HostStatusLine, TheTitleGivesWayFirstThenTheCounterThenTheLength)
{
    const TStatusParts parts = Parts("Morvel Demo - The Morvel project", true);
    EXPECT_EQ(FitStatusLine(parts, 64), "[12/140] Morvel Demo - The Morvel project  12:34 / 15:00  paused");
    EXPECT_EQ(FitStatusLine(parts, 63), "[12/140] Morvel Demo - The Morvel pro...  12:34 / 15:00  paused");
    EXPECT_EQ(FitStatusLine(parts, 40), "[12/140] Morve...  12:34 / 15:00  paused");
    EXPECT_EQ(FitStatusLine(parts, 31), "[12/140]  12:34 / 15:00  paused");
    EXPECT_EQ(FitStatusLine(parts, 30), "12:34 / 15:00  paused");
    EXPECT_EQ(FitStatusLine(parts, 20), "12:34  paused");
    EXPECT_EQ(FitStatusLine(parts, 12), "12:34 paused");
    EXPECT_EQ(FitStatusLine(parts, 8), "12:34 pa");
}

TEST(HostStatusLine, ASongWithoutANameIsNamedByItsFile)
{
    EXPECT_EQ(EntryTitle("Morvel Demo - The Morvel project", "/music/demo.dmf"), "Morvel Demo - The Morvel project");
    // The plug-in's title for an empty name is " - " and the composer.
    EXPECT_EQ(EntryTitle(" - converted", "/music/track06.dmf"), "track06.dmf - converted");
    EXPECT_EQ(EntryTitle(" - ", "/music/track06.dmf"), "track06.dmf");
    EXPECT_EQ(EntryTitle("", "track06.dmf"), "track06.dmf");
    EXPECT_EQ(EntryTitle("    -   ", "a/b.dmf"), "b.dmf");
    EXPECT_EQ(EntryTitle("Name - ", "a/b.dmf"), "Name");
    // A composer may hold the separator too.
    EXPECT_EQ(EntryTitle(" - A - B", "a/b.dmf"), "b.dmf - A - B");
    // Latin-1 becomes UTF-8; control characters never reach the terminal.
    EXPECT_EQ(EntryTitle("M\xFCller\x1b[2J - x\x9b", "a/b.dmf"), "M\xC3\xBCller?[2J - x?");
    EXPECT_EQ(EntryTitle(" - ", "a/b\x1b\x7F\xC3\xBC.dmf"), "b??\xC3\xBC.dmf");
}

}  // namespace

#endif  // _WIN32
