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
    std::vector<std::string> rows(static_cast<size_t>(Glyph.Height),
                                  std::string(static_cast<size_t>(Glyph.Width), '.'));
    for (int y = 0; y < Glyph.Height; ++y) {
        for (int x = 0; x < Glyph.Width; ++x) {
            if (Glyph.Ink(x, y)) {
                rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#';
            }
        }
    }
    return rows;
}

TPcfSample SmallSample()
{
    TPcfSample s;
    s.Ascent = 5;
    s.Descent = 2;
    s.DefaultCode = 0x42;
    s.StringProperties = {{"CHARSET_REGISTRY", "ISO8859"}, {"COPYRIGHT", "made for a test"}};
    s.NumberProperties = {{"PIXEL_SIZE", 7}, {"NEGATIVE", -3}};
    // A glyph wider than 8 and 16 pixels spans several bytes and scan units;
    // one lies left of the pen; one sits in the second encoding row; one is empty.
    s.Glyphs = {
        {0x41, 0, 4, 5, {".##.", "#..#", "####", "#..#", "#..#"}},
        {0x42, 1, 19, 4, {"#................##", ".#..............#..", "..#............#...", "...#..........#...."}},
        {0x43, -1, 3, 6, {"#..", ".#.", "..#", ".#.", "#..", "...", "##."}},
        {0x144, 0, 2, 2, {"##", "##"}},
        {0x45, 0, 3, 0, {}},
    };
    return s;
}

void ExpectSampleRead(const TBitmapFont& Font, const TPcfSample& Sample)
{
    EXPECT_EQ(Font.Ascent, Sample.Ascent);
    EXPECT_EQ(Font.Descent, Sample.Descent);
    ASSERT_EQ(Font.DefaultChar, std::optional<uint32_t>(Sample.DefaultCode));
    ASSERT_EQ(Font.Glyphs.size(), Sample.Glyphs.size());
    for (const TPcfSampleGlyph& expected : Sample.Glyphs) {
        SCOPED_TRACE(expected.Code);
        ASSERT_TRUE(Font.Glyphs.contains(expected.Code));
        const TBitmapGlyph& glyph = Font.Glyphs.at(expected.Code);
        EXPECT_EQ(glyph.Left, expected.Left);
        EXPECT_EQ(glyph.Advance, expected.Advance);
        EXPECT_EQ(glyph.Ascent, expected.Ascent);
        EXPECT_EQ(Picture(glyph), expected.Rows);
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
    const TBitmapFont font = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    EXPECT_EQ(font.Ascent, 11);
    EXPECT_EQ(font.Descent, 2);
    EXPECT_EQ(font.Properties.at("CHARSET_REGISTRY"), "ISO8859");
    EXPECT_EQ(font.Properties.at("CHARSET_ENCODING"), "1");
    const std::vector<std::string> a = {"......", "......", "..#...", ".#.#..", "#...#.", "#...#.", "#...#.",
                                        "#####.", "#...#.", "#...#.", "#...#.", "......", "......"};
    const std::vector<std::string> g = {"......", "......", "......", "......", "......", ".###..", "#...#.",
                                        "#...#.", "#...#.", ".####.", "....#.", "#...#.", ".###.."};
    const std::vector<std::string> eAcute = {"......", "......", "...#..", "..#...", "......", ".###..", "#...#.",
                                             "#####.", "#.....", "#...#.", ".###..", "......", "......"};
    for (const auto& [code, expected] : {std::pair{0x41u, a}, {0x67u, g}, {0xE9u, eAcute}}) {
        SCOPED_TRACE(code);
        const TBitmapGlyph& glyph = font.Glyphs.at(code);
        EXPECT_EQ(glyph.Advance, 6);
        EXPECT_EQ(glyph.Ascent, 11);
        EXPECT_EQ(Picture(glyph), expected);
    }
}

std::vector<TPcfLayout> EveryLayout()
{
    std::vector<TPcfLayout> layouts;
    for (const bool byteMsb : {false, true}) {
        for (const bool bitMsb : {false, true}) {
            for (const int rowPad : {1, 2, 4, 8}) {
                for (const int scanUnit : {1, 2, 4}) {
                    for (const bool compressed : {false, true}) {
                        if (scanUnit <= rowPad) {
                            layouts.push_back({byteMsb, bitMsb, rowPad, scanUnit, compressed});
                        }
                    }
                }
            }
        }
    }
    return layouts;
}

TEST(PcfReader, ReadsEveryStorageLayout)
{
    const TPcfSample sample = SmallSample();
    for (const TPcfLayout& l : EveryLayout()) {
        SCOPED_TRACE(testing::Message() << "byte msb " << l.ByteMsb << ", bit msb " << l.BitMsb << ", pad " << l.RowPad
                                        << ", unit " << l.ScanUnit << ", compressed " << l.CompressedMetrics);
        ExpectSampleRead(ReadPcfFont(WritePcf(sample, l)), sample);
    }
}

// Every cut and every byte changed either reads or fails with TFontError;
// nothing is read outside the file (the sanitizer build checks that).
TEST(PcfReader, DamagedFilesFailCleanly)
{
    for (const bool compressed : {false, true}) {
        const std::vector<uint8_t> file = WritePcf(SmallSample(), TPcfLayout{false, true, 2, 2, compressed});
        ExpectSampleRead(ReadPcfFont(file), SmallSample());
        for (size_t length = 0; length < file.size(); ++length) {
            SCOPED_TRACE(length);
            EXPECT_THROW(ReadPcfFont(std::span(file).first(length)), TFontError);
        }
        for (size_t at = 0; at < file.size(); ++at) {
            for (const uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
                std::vector<uint8_t> damaged = file;
                damaged[at] = value;
                try {
                    ReadPcfFont(damaged);
                } catch (const TFontError&) {
                }
            }
        }
    }
}

TEST(PcfReader, InconsistentTablesAreRejected)
{
    TPcfSample sample = SmallSample();
    sample.Glyphs.push_back({0x46, 0, 4, 1, {"#"}});
    std::vector<uint8_t> file = WritePcf(sample, TPcfLayout{});
    ASSERT_NO_THROW(ReadPcfFont(file));
    // That glyph's compressed metrics (left, right, advance, ascent, descent, each + 0x80),
    // changed to a right edge left of the left one.
    const uint8_t metrics[] = {0x80, 0x81, 0x84, 0x81, 0x80};
    const auto at = std::search(file.begin(), file.end(), std::begin(metrics), std::end(metrics));
    ASSERT_NE(at, file.end());
    at[1] = 0x7F;
    EXPECT_THROW(ReadPcfFont(file), TFontError);

    // A table of contents longer than the file; not a PCF file at all.
    EXPECT_THROW(ReadPcfFont(std::vector<uint8_t>{1, 'f', 'c', 'p', 0xFF, 0xFF, 0xFF, 0x7F}), TFontError);
    EXPECT_THROW(ReadPcfFont(std::vector<uint8_t>{'P', 'C', 'F', ' ', 0, 0, 0, 0}), TFontError);
}

}  // namespace
