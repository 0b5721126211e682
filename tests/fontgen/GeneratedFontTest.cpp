// The built vuravi__.fon: the face and height the song information window
// asks for, and every character drawn as in the glyph source.

#include <gtest/gtest.h>

#include "plugin/SongInfoForm.h"
#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/PcfReader.h"

namespace {

std::vector<std::string> CellOf(const TBitmapGlyph& G, int Ascent, int Height)
{
    std::vector<std::string> Rows(size_t(Height), std::string(size_t(G.Advance), '.'));
    for (int Y = 0; Y < G.Height; ++Y)
        for (int X = 0; X < G.Width; ++X)
            if (G.Ink(X, Y))
                Rows.at(size_t(Ascent - G.Ascent + Y)).at(size_t(G.Left + X)) = '#';
    return Rows;
}

TEST(GeneratedFont, HoldsTheWindowsFaceAtItsHeight)
{
    const TNeFontLibraryView Library = ReadFontLibrary(ReadWholeFile(MORVEL_FONT_FILE));
    ASSERT_EQ(Library.Resources.size(), 2u);
    const TFntView Fnt = ReadFnt(Library.Resources[1].Data);
    EXPECT_EQ(Fnt.Face, TSongInfoLayout::TextFont);
    EXPECT_EQ(Fnt.Face, "Quorlith vuravi  ");
    EXPECT_EQ(Fnt.Header.CharSet, 0u) << "ANSI_CHARSET";
    // A negative height asks for the character height without internal leading.
    EXPECT_EQ(int(Fnt.Header.PixHeight - Fnt.Header.InternalLeading), -TSongInfoLayout::TextFontHeight);
    EXPECT_EQ(Fnt.Header.InternalLeading, 0u);
    EXPECT_EQ(Fnt.Header.FirstChar, 0x20u);
    EXPECT_EQ(Fnt.Header.LastChar, 0xFFu);
    const std::string DirectoryNames(Library.Resources[0].Data.begin() + 4 + 113, Library.Resources[0].Data.end());
    EXPECT_EQ(DirectoryNames.substr(0, 19), std::string("\0Quorlith vuravi  \0", 19));
}

TEST(GeneratedFont, DrawsEveryCharacterAsTheGlyphSource)
{
    const TFntView Fnt = ReadFnt(ReadFontLibrary(ReadWholeFile(MORVEL_FONT_FILE)).Resources.at(1).Data);
    const TBitmapFont Source = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    const int Height = int(Fnt.Header.PixHeight);
    ASSERT_TRUE(Source.DefaultChar);
    const auto Default = CellOf(Source.Glyphs.at(*Source.DefaultChar), Source.Ascent, Height);
    for (uint32_t Code = 0x20; Code <= 0xFF; ++Code) {
        SCOPED_TRACE(Code);
        const bool Printable = Code < 0x7F || Code >= 0xA0;
        const auto Expected = Printable ? CellOf(Source.Glyphs.at(Code), Source.Ascent, Height) : Default;
        EXPECT_EQ(Fnt.Cell(Code - 0x20), Expected);
    }
    EXPECT_EQ(Fnt.Cell(Fnt.Header.DefaultChar), Default);
    EXPECT_EQ(int(Fnt.Header.Ascent), Source.Ascent);
}

}  // namespace
