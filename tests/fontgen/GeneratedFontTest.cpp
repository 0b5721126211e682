// The built vuravi__.fon: the face and height the song information window
// asks for, and every character drawn as in the glyph source.

#include <gtest/gtest.h>

#include "plugin/SongInfoForm.h"
#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/PcfReader.h"

namespace {

std::vector<std::string> CellOf(const TBitmapGlyph& G, int Ascent, int Height)
{
    std::vector<std::string> rows(static_cast<size_t>(Height), std::string(static_cast<size_t>(G.Advance), '.'));
    for (int y = 0; y < G.Height; ++y) {
        for (int x = 0; x < G.Width; ++x) {
            if (G.Ink(x, y)) {
                rows.at(static_cast<size_t>(Ascent - G.Ascent + y)).at(static_cast<size_t>(G.Left + x)) = '#';
            }
        }
    }
    return rows;
}

TEST(GeneratedFont, HoldsTheWindowsFaceAtItsHeight)
{
    const TNeFontLibraryView library = ReadFontLibrary(ReadWholeFile(MORVEL_FONT_FILE));
    ASSERT_EQ(library.Resources.size(), 2u);
    const TFntView fnt = ReadFnt(library.Resources[1].Data);
    EXPECT_EQ(fnt.Face, TSongInfoLayout::TextFont);
    EXPECT_EQ(fnt.Face, "Quorlith vuravi  ");
    EXPECT_EQ(fnt.Header.CharSet, 0u) << "ANSI_CHARSET";
    // A negative height asks for the character height without internal leading.
    EXPECT_EQ(static_cast<int>(fnt.Header.PixHeight - fnt.Header.InternalLeading), -TSongInfoLayout::TextFontHeight);
    EXPECT_EQ(fnt.Header.InternalLeading, 0u);
    EXPECT_EQ(fnt.Header.FirstChar, 0x20u);
    EXPECT_EQ(fnt.Header.LastChar, 0xFFu);
    const std::string directoryNames(library.Resources[0].Data.begin() + 4 + 113, library.Resources[0].Data.end());
    EXPECT_EQ(directoryNames.substr(0, 19), std::string("\0Quorlith vuravi  \0", 19));
}

TEST(GeneratedFont, DrawsEveryCharacterAsTheGlyphSource)
{
    const TFntView fnt = ReadFnt(ReadFontLibrary(ReadWholeFile(MORVEL_FONT_FILE)).Resources.at(1).Data);
    const TBitmapFont source = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    const int height = static_cast<int>(fnt.Header.PixHeight);
    ASSERT_TRUE(source.DefaultChar);
    const auto defaultCell = CellOf(source.Glyphs.at(*source.DefaultChar), source.Ascent, height);
    for (uint32_t code = 0x20; code <= 0xFF; ++code) {
        SCOPED_TRACE(code);
        const bool printable = code < 0x7F || code >= 0xA0;
        const auto expected = printable ? CellOf(source.Glyphs.at(code), source.Ascent, height) : defaultCell;
        EXPECT_EQ(fnt.Cell(code - 0x20), expected);
    }
    EXPECT_EQ(fnt.Cell(fnt.Header.DefaultChar), defaultCell);
    EXPECT_EQ(static_cast<int>(fnt.Header.Ascent), source.Ascent);
}

}  // namespace
