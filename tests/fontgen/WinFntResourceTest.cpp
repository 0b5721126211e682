// The FNT resource: its header, character table and bitmaps describe the file
// consistently and hold the glyphs on their baseline.

#include <gtest/gtest.h>

#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/WinFntResource.h"

namespace {

TBitmapGlyph Glyph(int Advance, int Left, int Ascent, const std::vector<std::string>& Rows)
{
    TBitmapGlyph G;
    G.Advance = Advance;
    G.Left = Left;
    G.Ascent = Ascent;
    G.Height = int(Rows.size());
    G.Width = Rows.empty() ? 0 : int(Rows[0].size());
    for (const std::string& Row : Rows)
        for (const char C : Row)
            G.Pixels.push_back(C == '#');
    return G;
}

// Proportional, 4 rows above the baseline and 2 below; 'C' and 'E' missing.
TBitmapFont ProportionalFont()
{
    TBitmapFont Font;
    Font.Ascent = 4;
    Font.Descent = 2;
    Font.Glyphs[0x41] = Glyph(3, 0, 4, {".#.", "#.#", "###", "#.#"});
    // Wider than a byte, its bitmap starting right of the pen, reaching below the baseline.
    Font.Glyphs[0x42] = Glyph(11, 1, 2, {"#........", ".#.....#.", "..#...#..", "...#.#..#"});
    Font.Glyphs[0x44] = Glyph(2, 1, 1, {"#"});
    Font.Glyphs[0x7E] = Glyph(4, 0, 3, {"####", "#..#", "####"});
    Font.DefaultChar = 0x7E;
    return Font;
}

TFntOptions Options(uint8_t First, uint8_t Last)
{
    TFntOptions O;
    O.Face = "Quorlith vuravi  ";
    O.Copyright = "Public domain font.  Share and enjoy.";
    O.FirstChar = First;
    O.LastChar = Last;
    return O;
}

void ExpectConsistent(const TFntView& Fnt, size_t FileSize)
{
    const TFntHeader& H = Fnt.Header;
    EXPECT_EQ(H.Size, FileSize);
    EXPECT_EQ(H.Type & 1, 0u) << "raster";
    EXPECT_EQ(Fnt.Table.size(), H.LastChar - H.FirstChar + 2u);
    EXPECT_EQ(H.BitsOffset, 118 + 4 * Fnt.Table.size()) << "bitmaps right after the table";
    EXPECT_EQ(H.Face + Fnt.Face.size() + 1, FileSize) << "the face name ends the file";
    uint32_t MaxWidth = 0;
    for (const TFntCharEntry& E : Fnt.Table) {
        EXPECT_GE(E.Offset, H.BitsOffset);
        EXPECT_LE(E.Offset + (E.Width + 7) / 8 * H.PixHeight, H.Face);
        MaxWidth = std::max(MaxWidth, E.Width);
    }
    EXPECT_EQ(H.MaxWidth, MaxWidth);
    EXPECT_LE(H.DefaultChar, H.LastChar - H.FirstChar);
    EXPECT_LE(H.BreakChar, H.LastChar - H.FirstChar);
    EXPECT_EQ(H.WidthBytes % 2, 0u);
    // Points and resolution give the pixel height, to the nearest point.
    EXPECT_NEAR(double(H.Points) * H.VertRes / 72, H.PixHeight - H.InternalLeading, H.VertRes / 144.0 + 1e-9);
    // The sentinel after the last character is the absolute space: blank.
    const auto Blank = Fnt.Cell(Fnt.Table.size() - 1);
    for (const std::string& Row : Blank)
        EXPECT_EQ(Row.find('#'), std::string::npos);
}

TEST(WinFntResource, ProportionalFontLaysOutEveryCharacterOnTheBaseline)
{
    const std::vector<uint8_t> Bytes = BuildFntResource(ProportionalFont(), Options(0x41, 0x45));
    const TFntView Fnt = ReadFnt(Bytes);
    ExpectConsistent(Fnt, Bytes.size());
    const TFntHeader& H = Fnt.Header;
    EXPECT_EQ(Fnt.Face, "Quorlith vuravi  ");
    EXPECT_EQ(H.Copyright, "Public domain font.  Share and enjoy.");
    EXPECT_EQ(H.PixHeight, 6u);
    EXPECT_EQ(H.Ascent, 4u);
    EXPECT_EQ(H.InternalLeading, 0u);
    EXPECT_EQ(H.CharSet, 0u);
    EXPECT_EQ(H.FirstChar, 0x41u);
    EXPECT_EQ(H.LastChar, 0x45u);
    EXPECT_EQ(H.PixWidth, 0u) << "proportional";
    EXPECT_EQ(H.PitchAndFamily & 1, 1u) << "variable pitch";

    EXPECT_EQ(Fnt.Cell(0), (std::vector<std::string>{".#.", "#.#", "###", "#.#", "...", "..."}));
    EXPECT_EQ(Fnt.Cell(1), (std::vector<std::string>{"...........", "...........", ".#.........", "..#.....#..",
                                                     "...#...#...", "....#.#..#."}));
    EXPECT_EQ(Fnt.Cell(3), (std::vector<std::string>{"..", "..", "..", ".#", "..", ".."}));
    // The codes without glyph show the default one, and the default character is one of them.
    const std::vector<std::string> Default = {"....", "####", "#..#", "####", "....", "...."};
    EXPECT_EQ(Fnt.Cell(2), Default);
    EXPECT_EQ(Fnt.Cell(4), Default);
    EXPECT_EQ(Fnt.Cell(H.DefaultChar), Default);
}

TEST(WinFntResource, FixedPitchFontSaysSo)
{
    TBitmapFont Font;
    Font.Ascent = 3;
    Font.Descent = 1;
    Font.Glyphs[0x20] = Glyph(5, 0, 0, {});
    Font.Glyphs[0x21] = Glyph(5, 2, 3, {"#", "#", "."});
    Font.Glyphs[0x22] = Glyph(5, 0, 3, {"#####"});
    Font.DefaultChar = 0x22;
    const std::vector<uint8_t> Bytes = BuildFntResource(Font, Options(0x20, 0x22));
    const TFntView Fnt = ReadFnt(Bytes);
    ExpectConsistent(Fnt, Bytes.size());
    EXPECT_EQ(Fnt.Header.PixWidth, 5u);
    EXPECT_EQ(Fnt.Header.AvgWidth, 5u);
    EXPECT_EQ(Fnt.Header.PitchAndFamily & 1, 0u) << "fixed pitch";
    EXPECT_EQ(Fnt.Header.DefaultChar, 2u);
    EXPECT_EQ(Fnt.Header.BreakChar, 0u) << "the space";
    EXPECT_EQ(Fnt.Cell(1), (std::vector<std::string>{"..#..", "..#..", ".....", "....."}));
}

TEST(WinFntResource, FontsTheFormatCannotHoldAreRefused)
{
    TBitmapFont Font = ProportionalFont();
    Font.Glyphs[0x44] = Glyph(2, 0, 5, {"#"});  // ink above the line
    EXPECT_THROW(BuildFntResource(Font, Options(0x41, 0x45)), TFontError);
    Font.Glyphs[0x44] = Glyph(2, 2, 1, {"#"});  // ink right of the advance
    EXPECT_THROW(BuildFntResource(Font, Options(0x41, 0x45)), TFontError);

    Font = ProportionalFont();
    Font.DefaultChar.reset();  // 'C' has nothing to show
    EXPECT_THROW(BuildFntResource(Font, Options(0x41, 0x45)), TFontError);

    EXPECT_THROW(BuildFntResource(ProportionalFont(), Options(0x45, 0x41)), TFontError);
    TFntOptions LongFace = Options(0x41, 0x45);
    LongFace.Face = std::string(32, 'q');
    EXPECT_THROW(BuildFntResource(ProportionalFont(), LongFace), TFontError);

    // 224 distinct 64 by 64 cells need more than the 16-bit offsets reach.
    TBitmapFont Large;
    Large.Ascent = 64;
    for (uint32_t Code = 0x20; Code <= 0xFF; ++Code) {
        std::vector<std::string> Rows(64, std::string(64, '.'));
        Rows[Code % 64][Code / 64] = '#';
        Large.Glyphs[Code] = Glyph(64, 0, 64, Rows);
    }
    EXPECT_THROW(BuildFntResource(Large, Options(0x20, 0xFF)), TFontError);
}

}  // namespace
