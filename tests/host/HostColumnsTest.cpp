// Text on a terminal: columns of UTF-8 text with wide characters, combining
// marks and bytes that are no UTF-8, and shortening that never splits one.

#include <gtest/gtest.h>

#include <string>

#include "host/HostColumns.h"

namespace {

const std::string Umlaut = "\xC3\xBC";         // ü, one column
const std::string Kanji = "\xE6\xBC\xA2";      // 漢, two columns
const std::string Acute = "\xCC\x81";          // combining acute accent, none
const std::string Emoji = "\xF0\x9F\x8E\xB5";  // musical note, two columns

TEST(HostColumns, ColumnsCountCharactersAsATerminalDrawsThem)
{
    EXPECT_EQ(TextColumns(""), 0);
    EXPECT_EQ(TextColumns("song"), 4);
    EXPECT_EQ(TextColumns("M" + Umlaut + "ller"), 6);
    EXPECT_EQ(TextColumns(Kanji + Kanji + "x"), 5);
    EXPECT_EQ(TextColumns("e" + Acute), 1);
    EXPECT_EQ(TextColumns(Emoji), 2);
    // Bytes that are no UTF-8 (a Latin-1 file name, a sequence cut short) are one column each.
    EXPECT_EQ(TextColumns("caf\xE9"), 4);
    EXPECT_EQ(TextColumns("\xE6\xBC"), 2);
    EXPECT_EQ(TextColumns("\x80\xBF"), 2);
}

TEST(HostColumns, ShorteningKeepsWholeCharactersAndMarksTheCut)
{
    const std::string title = Kanji + "a" + Umlaut + "e" + Acute + Kanji;  // 2+1+1+1+2 columns
    EXPECT_EQ(FirstColumns(title, 0), "");
    EXPECT_EQ(FirstColumns(title, 1), "");  // half a wide character is none
    EXPECT_EQ(FirstColumns(title, 2), Kanji);
    EXPECT_EQ(FirstColumns(title, 5), Kanji + "a" + Umlaut + "e" + Acute);  // the accent stays with its letter
    EXPECT_EQ(FirstColumns(title, 99), title);
    EXPECT_EQ(LastColumns(title, 1), "");
    EXPECT_EQ(LastColumns(title, 3), "e" + Acute + Kanji);
    EXPECT_EQ(LastColumns("e" + Acute + "x", 1), "x");  // never a mark without its letter

    EXPECT_EQ(ShortenToColumns(title, 7), title);
    EXPECT_EQ(ShortenToColumns(title, 6), Kanji + "a...");
    EXPECT_EQ(ShortenToColumns(title, 6, true), "...e" + Acute + Kanji);
    EXPECT_EQ(ShortenToColumns(title, 5, true), "..." + Kanji);
    EXPECT_EQ(ShortenToColumns(title, 3), Kanji + "a");  // no room for the dots
    for (int columns = 0; columns < 10; ++columns) {
        EXPECT_LE(TextColumns(ShortenToColumns(title, columns)), columns);
        EXPECT_LE(TextColumns(ShortenToColumns(title, columns, true)), columns);
    }
}

}  // namespace
