// The PCF reader: the glyph source the build uses, every storage layout the
// format allows, and damaged files.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/fontgen/FontFileView.h"
#include "tests/fontgen/PcfSample.h"
#include "tools/fontgen/PcfReader.h"

namespace {

std::vector<std::string> Picture(const TBitmapGlyph& Glyph)
{
    std::vector<std::string> Rows(size_t(Glyph.Height), std::string(size_t(Glyph.Width), '.'));
    for (int Y = 0; Y < Glyph.Height; ++Y)
        for (int X = 0; X < Glyph.Width; ++X)
            if (Glyph.Ink(X, Y))
                Rows[size_t(Y)][size_t(X)] = '#';
    return Rows;
}

TPcfSample SmallSample()
{
    TPcfSample S;
    S.Ascent = 5;
    S.Descent = 2;
    S.DefaultCode = 0x42;
    S.StringProperties = {{"CHARSET_REGISTRY", "ISO8859"}, {"COPYRIGHT", "made for a test"}};
    S.NumberProperties = {{"PIXEL_SIZE", 7}, {"NEGATIVE", -3}};
    // A glyph wider than 8 and 16 pixels spans several bytes and scan units;
    // one lies left of the pen; one sits in the second encoding row; one is empty.
    S.Glyphs = {
        {0x41, 0, 4, 5, {".##.", "#..#", "####", "#..#", "#..#"}},
        {0x42, 1, 19, 4, {"#................##", ".#..............#..", "..#............#...", "...#..........#...."}},
        {0x43, -1, 3, 6, {"#..", ".#.", "..#", ".#.", "#..", "...", "##."}},
        {0x144, 0, 2, 2, {"##", "##"}},
        {0x45, 0, 3, 0, {}},
    };
    return S;
}

void ExpectSampleRead(const TBitmapFont& Font, const TPcfSample& Sample)
{
    EXPECT_EQ(Font.Ascent, Sample.Ascent);
    EXPECT_EQ(Font.Descent, Sample.Descent);
    ASSERT_EQ(Font.DefaultChar, std::optional<uint32_t>(Sample.DefaultCode));
    ASSERT_EQ(Font.Glyphs.size(), Sample.Glyphs.size());
    for (const TPcfSampleGlyph& Expected : Sample.Glyphs) {
        SCOPED_TRACE(Expected.Code);
        ASSERT_TRUE(Font.Glyphs.contains(Expected.Code));
        const TBitmapGlyph& Glyph = Font.Glyphs.at(Expected.Code);
        EXPECT_EQ(Glyph.Left, Expected.Left);
        EXPECT_EQ(Glyph.Advance, Expected.Advance);
        EXPECT_EQ(Glyph.Ascent, Expected.Ascent);
        EXPECT_EQ(Picture(Glyph), Expected.Rows);
    }
    EXPECT_EQ(Font.Properties.at("CHARSET_REGISTRY"), "ISO8859");
    EXPECT_EQ(Font.Properties.at("COPYRIGHT"), "made for a test");
    EXPECT_EQ(Font.Properties.at("PIXEL_SIZE"), "7");
    EXPECT_EQ(Font.Properties.at("NEGATIVE"), "-3");
}

// The misc-fixed font as bdftopcf wrote it (its last table recorded longer than
// the file holds), against pictures of its glyphs.
TEST(PcfReader, ReadsTheGlyphSourceOfTheBuild)
{
    const TBitmapFont Font = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    EXPECT_EQ(Font.Ascent, 11);
    EXPECT_EQ(Font.Descent, 2);
    EXPECT_EQ(Font.Properties.at("CHARSET_REGISTRY"), "ISO8859");
    EXPECT_EQ(Font.Properties.at("CHARSET_ENCODING"), "1");
    const std::vector<std::string> A = {"......", "......", "..#...", ".#.#..", "#...#.", "#...#.", "#...#.",
                                        "#####.", "#...#.", "#...#.", "#...#.", "......", "......"};
    const std::vector<std::string> G = {"......", "......", "......", "......", "......", ".###..", "#...#.",
                                        "#...#.", "#...#.", ".####.", "....#.", "#...#.", ".###.."};
    const std::vector<std::string> EAcute = {"......", "......", "...#..", "..#...", "......", ".###..", "#...#.",
                                             "#####.", "#.....", "#...#.", ".###..", "......", "......"};
    for (const auto& [Code, Expected] : {std::pair{0x41u, A}, {0x67u, G}, {0xE9u, EAcute}}) {
        SCOPED_TRACE(Code);
        const TBitmapGlyph& Glyph = Font.Glyphs.at(Code);
        EXPECT_EQ(Glyph.Advance, 6);
        EXPECT_EQ(Glyph.Ascent, 11);
        EXPECT_EQ(Picture(Glyph), Expected);
    }
}

std::vector<TPcfLayout> EveryLayout()
{
    std::vector<TPcfLayout> Layouts;
    for (const bool ByteMsb : {false, true})
        for (const bool BitMsb : {false, true})
            for (const int RowPad : {1, 2, 4, 8})
                for (const int ScanUnit : {1, 2, 4})
                    for (const bool Compressed : {false, true})
                        if (ScanUnit <= RowPad)
                            Layouts.push_back({ByteMsb, BitMsb, RowPad, ScanUnit, Compressed});
    return Layouts;
}

TEST(PcfReader, ReadsEveryStorageLayout)
{
    const TPcfSample Sample = SmallSample();
    for (const TPcfLayout& L : EveryLayout()) {
        SCOPED_TRACE(testing::Message() << "byte msb " << L.ByteMsb << ", bit msb " << L.BitMsb << ", pad " << L.RowPad
                                        << ", unit " << L.ScanUnit << ", compressed " << L.CompressedMetrics);
        ExpectSampleRead(ReadPcfFont(WritePcf(Sample, L)), Sample);
    }
}

// Every cut and every byte changed either reads or fails with TFontError;
// nothing is read outside the file (the sanitizer build checks that).
TEST(PcfReader, DamagedFilesFailCleanly)
{
    for (const bool Compressed : {false, true}) {
        const std::vector<uint8_t> File = WritePcf(SmallSample(), TPcfLayout{false, true, 2, 2, Compressed});
        ExpectSampleRead(ReadPcfFont(File), SmallSample());
        for (size_t Length = 0; Length < File.size(); ++Length) {
            SCOPED_TRACE(Length);
            EXPECT_THROW(ReadPcfFont(std::span(File).first(Length)), TFontError);
        }
        for (size_t At = 0; At < File.size(); ++At) {
            for (const uint8_t Value : {0x00, 0x7F, 0x80, 0xFF}) {
                std::vector<uint8_t> Damaged = File;
                Damaged[At] = Value;
                try {
                    ReadPcfFont(Damaged);
                } catch (const TFontError&) {
                }
            }
        }
    }
}

TEST(PcfReader, InconsistentTablesAreRejected)
{
    TPcfSample Sample = SmallSample();
    Sample.Glyphs.push_back({0x46, 0, 4, 1, {"#"}});
    std::vector<uint8_t> File = WritePcf(Sample, TPcfLayout{});
    ASSERT_NO_THROW(ReadPcfFont(File));
    // That glyph's compressed metrics (left, right, advance, ascent, descent, each + 0x80),
    // changed to a right edge left of the left one.
    const uint8_t Metrics[] = {0x80, 0x81, 0x84, 0x81, 0x80};
    const auto At = std::search(File.begin(), File.end(), std::begin(Metrics), std::end(Metrics));
    ASSERT_NE(At, File.end());
    At[1] = 0x7F;
    EXPECT_THROW(ReadPcfFont(File), TFontError);

    // A table of contents longer than the file; not a PCF file at all.
    EXPECT_THROW(ReadPcfFont(std::vector<uint8_t>{1, 'f', 'c', 'p', 0xFF, 0xFF, 0xFF, 0x7F}), TFontError);
    EXPECT_THROW(ReadPcfFont(std::vector<uint8_t>{'P', 'C', 'F', ' ', 0, 0, 0, 0}), TFontError);
}

}  // namespace
