// The FNT resource: its header, character table and bitmaps describe the file
// consistently and hold the glyphs on their baseline.

#include <gtest/gtest.h>

#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/WinFntResource.h"

namespace {

TBitmapGlyph Glyph(int Advance, int Left, int Ascent, const std::vector<std::string>& Rows)
{
    TBitmapGlyph g;
    g.Advance = Advance;
    g.Left = Left;
    g.Ascent = Ascent;
    g.Height = static_cast<int>(Rows.size());
    g.Width = Rows.empty() ? 0 : static_cast<int>(Rows[0].size());
    for (const std::string& row : Rows) {
        for (const char c : row) {
            g.Pixels.push_back(c == '#');
        }
    }
    return g;
}

// Proportional, 4 rows above the baseline and 2 below; 'C' and 'E' missing.
TBitmapFont ProportionalFont()
{
    TBitmapFont font;
    font.Ascent = 4;
    font.Descent = 2;
    font.Glyphs[0x41] = Glyph(3, 0, 4, {".#.", "#.#", "###", "#.#"});
    // Wider than a byte, its bitmap starting right of the pen, reaching below the baseline.
    font.Glyphs[0x42] = Glyph(11, 1, 2, {"#........", ".#.....#.", "..#...#..", "...#.#..#"});
    font.Glyphs[0x44] = Glyph(2, 1, 1, {"#"});
    font.Glyphs[0x7E] = Glyph(4, 0, 3, {"####", "#..#", "####"});
    font.DefaultChar = 0x7E;
    return font;
}

TFntOptions Options(uint8_t First, uint8_t Last)
{
    TFntOptions o;
    o.Face = "Quorlith vuravi  ";
    o.Copyright = "Public domain font.  Share and enjoy.";
    o.FirstChar = First;
    o.LastChar = Last;
    return o;
}

void ExpectConsistent(const TFntView& Fnt, size_t FileSize)
{
    const TFntHeader& h = Fnt.Header;
    EXPECT_EQ(h.Size, FileSize);
    EXPECT_EQ(h.Type & 1, 0u) << "raster";
    EXPECT_EQ(Fnt.Table.size(), h.LastChar - h.FirstChar + 2u);
    EXPECT_EQ(h.BitsOffset, 118 + 4 * Fnt.Table.size()) << "bitmaps right after the table";
    EXPECT_EQ(h.Face + Fnt.Face.size() + 1, FileSize) << "the face name ends the file";
    uint32_t maxWidth = 0;
    for (const TFntCharEntry& e : Fnt.Table) {
        EXPECT_GE(e.Offset, h.BitsOffset);
        EXPECT_LE(e.Offset + (e.Width + 7) / 8 * h.PixHeight, h.Face);
        maxWidth = std::max(maxWidth, e.Width);
    }
    EXPECT_EQ(h.MaxWidth, maxWidth);
    EXPECT_LE(h.DefaultChar, h.LastChar - h.FirstChar);
    EXPECT_LE(h.BreakChar, h.LastChar - h.FirstChar);
    EXPECT_EQ(h.WidthBytes % 2, 0u);
    // Points and resolution give the pixel height, to the nearest point.
    EXPECT_NEAR(static_cast<double>(h.Points) * h.VertRes / 72, h.PixHeight - h.InternalLeading,
                h.VertRes / 144.0 + 1e-9);
    // The sentinel after the last character is the absolute space: blank.
    const auto blank = Fnt.Cell(Fnt.Table.size() - 1);
    for (const std::string& row : blank) {
        EXPECT_EQ(row.find('#'), std::string::npos);
    }
}

TEST(WinFntResource, ProportionalFontLaysOutEveryCharacterOnTheBaseline)
{
    const std::vector<uint8_t> bytes = BuildFntResource(ProportionalFont(), Options(0x41, 0x45));
    const TFntView fnt = ReadFnt(bytes);
    ExpectConsistent(fnt, bytes.size());
    const TFntHeader& h = fnt.Header;
    EXPECT_EQ(fnt.Face, "Quorlith vuravi  ");
    EXPECT_EQ(h.Copyright, "Public domain font.  Share and enjoy.");
    EXPECT_EQ(h.PixHeight, 6u);
    EXPECT_EQ(h.Ascent, 4u);
    EXPECT_EQ(h.InternalLeading, 0u);
    EXPECT_EQ(h.CharSet, 0u);
    EXPECT_EQ(h.FirstChar, 0x41u);
    EXPECT_EQ(h.LastChar, 0x45u);
    EXPECT_EQ(h.PixWidth, 0u) << "proportional";
    EXPECT_EQ(h.PitchAndFamily & 1, 1u) << "variable pitch";

    EXPECT_EQ(fnt.Cell(0), (std::vector<std::string>{".#.", "#.#", "###", "#.#", "...", "..."}));
    EXPECT_EQ(fnt.Cell(1), (std::vector<std::string>{"...........", "...........", ".#.........", "..#.....#..",
                                                     "...#...#...", "....#.#..#."}));
    EXPECT_EQ(fnt.Cell(3), (std::vector<std::string>{"..", "..", "..", ".#", "..", ".."}));
    // The codes without glyph show the default one, and the default character is one of them.
    const std::vector<std::string> defaultCell = {"....", "####", "#..#", "####", "....", "...."};
    EXPECT_EQ(fnt.Cell(2), defaultCell);
    EXPECT_EQ(fnt.Cell(4), defaultCell);
    EXPECT_EQ(fnt.Cell(h.DefaultChar), defaultCell);
}

TEST(WinFntResource, FixedPitchFontSaysSo)
{
    TBitmapFont font;
    font.Ascent = 3;
    font.Descent = 1;
    font.Glyphs[0x20] = Glyph(5, 0, 0, {});
    font.Glyphs[0x21] = Glyph(5, 2, 3, {"#", "#", "."});
    font.Glyphs[0x22] = Glyph(5, 0, 3, {"#####"});
    font.DefaultChar = 0x22;
    const std::vector<uint8_t> bytes = BuildFntResource(font, Options(0x20, 0x22));
    const TFntView fnt = ReadFnt(bytes);
    ExpectConsistent(fnt, bytes.size());
    EXPECT_EQ(fnt.Header.PixWidth, 5u);
    EXPECT_EQ(fnt.Header.AvgWidth, 5u);
    EXPECT_EQ(fnt.Header.PitchAndFamily & 1, 0u) << "fixed pitch";
    EXPECT_EQ(fnt.Header.DefaultChar, 2u);
    EXPECT_EQ(fnt.Header.BreakChar, 0u) << "the space";
    EXPECT_EQ(fnt.Cell(1), (std::vector<std::string>{"..#..", "..#..", ".....", "....."}));
}

TEST(WinFntResource, FontsTheFormatCannotHoldAreRefused)
{
    TBitmapFont font = ProportionalFont();
    font.Glyphs[0x44] = Glyph(2, 0, 5, {"#"});  // ink above the line
    EXPECT_THROW(BuildFntResource(font, Options(0x41, 0x45)), TFontError);
    font.Glyphs[0x44] = Glyph(2, 2, 1, {"#"});  // ink right of the advance
    EXPECT_THROW(BuildFntResource(font, Options(0x41, 0x45)), TFontError);

    font = ProportionalFont();
    font.DefaultChar.reset();  // 'C' has nothing to show
    EXPECT_THROW(BuildFntResource(font, Options(0x41, 0x45)), TFontError);

    EXPECT_THROW(BuildFntResource(ProportionalFont(), Options(0x45, 0x41)), TFontError);
    TFntOptions longFace = Options(0x41, 0x45);
    longFace.Face = std::string(32, 'q');
    EXPECT_THROW(BuildFntResource(ProportionalFont(), longFace), TFontError);

    // 224 distinct 64 by 64 cells need more than the 16-bit offsets reach.
    TBitmapFont large;
    large.Ascent = 64;
    for (uint32_t code = 0x20; code <= 0xFF; ++code) {
        std::vector<std::string> rows(64, std::string(64, '.'));
        rows[code % 64][code / 64] = '#';
        large.Glyphs[code] = Glyph(64, 0, 64, rows);
    }
    EXPECT_THROW(BuildFntResource(large, Options(0x20, 0xFF)), TFontError);
}

}  // namespace
