// The render progress bar on terminals of every width: never a wrapped line,
// the name shortened first, then the bars, the percentages kept longest.

#include <gtest/gtest.h>

#include <string>

#include "host/HostColumns.h"
#include "host/HostProgress.h"

namespace {

TEST(HostProgress, TheBarNeverWrapsOnAnyWidth)
{
    const std::string names[] = {
        "song.dmf",
        "a-rather-long-module-name-from-a-collection-of-many-songs.dmf",
        "\xE6\xBC\xA2\xE5\xAD\x97\xE6\xBC\xA2\xE5\xAD\x97\xE6\xBC\xA2\xE5\xAD\x97-\xC3\xBC.dmf",
    };
    for (const std::string& name : names) {
        for (const int count : {1, 7, 1234}) {
            for (int columns = 1; columns <= 200; ++columns) {
                const std::string text = ProgressText(count - 1, count, name, 0.5, columns);
                ASSERT_LE(TextColumns(text), columns - 1) << columns << ": " << text;
                // Down to the narrowest terminals the file's percentage is there.
                if (columns >= 5) {
                    EXPECT_NE(text.find("50%"), std::string::npos) << columns << ": " << text;
                }
            }
        }
    }
}

TEST(HostProgress, NarrowTerminalsGetShorterBarsThenPercentagesAlone)
{
    const std::string name = "a-rather-long-module-name.dmf";
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 100),
              "[3/7] a-rather-long-module-name.dmf  [##########----------]  50%  all [#######-------------]  35%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 80),
              "[3/7] ...name.dmf  [##########----------]  50%  all [#######-------------]  35%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 60), "[3/7] ...name.dmf  [#####-----]  50%  all [###-------]  35%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 40), "[3/7] ...-module-name.dmf  50%  all 35%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 24), "[3/7] 50%  all 35%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 12), "[3/7] 50%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 9), "50%");
    EXPECT_EQ(ProgressText(2, 7, name, 0.5, 3), "");
    // One file: no bar for the whole run.
    EXPECT_EQ(ProgressText(0, 1, name, 0.25, 65), "[1/1] a-rather-long-module-name.dmf  [#####---------------]  25%");
}

}  // namespace
