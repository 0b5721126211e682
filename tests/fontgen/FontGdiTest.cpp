// vuravi__.fon under Windows' GDI (wine in the cross build): registered from
// its file, found by its exact face, selected at its natural height by the
// window's request, drawn as the glyph source, and withdrawn again.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "plugin/SongInfoForm.h"
#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/PcfReader.h"

namespace {

// The path as the plug-in passes it: a full Windows path.
std::string FontPath()
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(MORVEL_FONT_FILE, MAX_PATH, full, nullptr);
    return length && length < MAX_PATH ? std::string(full, length) : std::string(MORVEL_FONT_FILE);
}

struct TFound {
    int Count = 0;
    LOGFONTA Font{};
    DWORD Type = 0;
};

int CALLBACK CollectFace(const LOGFONTA* Font, const TEXTMETRICA*, DWORD Type, LPARAM Found)
{
    auto& f = *reinterpret_cast<TFound*>(Found);
    if (std::strcmp(Font->lfFaceName, TSongInfoLayout::TextFont) == 0) {
        ++f.Count;
        f.Font = *Font;
        f.Type = Type;
    }
    return 1;
}

TFound Enumerate(HDC Dc)
{
    LOGFONTA query{};
    query.lfCharSet = ANSI_CHARSET;
    std::strcpy(query.lfFaceName, TSongInfoLayout::TextFont);
    TFound found;
    EnumFontFamiliesExA(Dc, &query, CollectFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// The font the song information window asks for.
HFONT WindowFont()
{
    return CreateFontA(TSongInfoLayout::TextFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       TSongInfoLayout::TextFont);
}

class TFontGdi : public testing::Test {
protected:
    void SetUp() override
    {
        Dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(Dc, nullptr);
        ASSERT_EQ(AddFontResourceA(Path.c_str()), 1) << Path;
        Registered = true;
    }
    void TearDown() override
    {
        if (Registered) {
            EXPECT_NE(RemoveFontResourceA(Path.c_str()), 0);
        }
        DeleteDC(Dc);
    }

    const std::string Path = FontPath();
    HDC Dc = nullptr;
    bool Registered = false;
};

TEST_F(TFontGdi, IsFoundByItsExactFaceAsARasterFont)
{
    const TFound found = Enumerate(Dc);
    ASSERT_GE(found.Count, 1);
    EXPECT_EQ(found.Type & RASTER_FONTTYPE, DWORD(RASTER_FONTTYPE));
    EXPECT_EQ(found.Font.lfHeight, 13);
    EXPECT_EQ(found.Font.lfCharSet, ANSI_CHARSET);
}

TEST_F(TFontGdi, TheWindowsRequestSelectsItAtItsNaturalSize)
{
    const HFONT font = WindowFont();
    ASSERT_NE(font, nullptr);
    const HGDIOBJ old = SelectObject(Dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(Dc, sizeof face, face);
    EXPECT_STREQ(face, "Quorlith vuravi  ");
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(Dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 13);
    EXPECT_EQ(metrics.tmInternalLeading, 0);
    // The baseline where the glyph source has it.
    EXPECT_EQ(metrics.tmAscent, ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE)).Ascent);
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
    EXPECT_EQ(metrics.tmAveCharWidth, 6);
    EXPECT_EQ(metrics.tmMaxCharWidth, 6);
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "the flag's set bit means variable pitch";
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_VECTOR, 0);
    EXPECT_EQ(metrics.tmCharSet, ANSI_CHARSET);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32A(Dc, "Song Title", 10, &extent));
    EXPECT_EQ(extent.cx, 60);
    EXPECT_EQ(extent.cy, 13);
    SelectObject(Dc, old);
    DeleteObject(font);
}

// Each code drawn alone, black on white, against the glyph source's glyph on
// the baseline (the codes 0x7F to 0x9F show the default glyph).
TEST_F(TFontGdi, DrawsEveryCodeAsTheGlyphSource)
{
    const TBitmapFont source = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    ASSERT_TRUE(source.DefaultChar);
    constexpr int side = 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HGDIOBJ oldBitmap = SelectObject(Dc, bitmap);
    const HFONT font = WindowFont();
    const HGDIOBJ oldFont = SelectObject(Dc, font);
    SetTextColor(Dc, RGB(0, 0, 0));
    SetBkColor(Dc, RGB(255, 255, 255));
    const RECT whole{0, 0, side, side};
    const auto* pixels = static_cast<const uint32_t*>(bits);

    for (uint32_t code = 0x20; code <= 0xFF; ++code) {
        SCOPED_TRACE(code);
        const char text = static_cast<char>(code);
        ASSERT_TRUE(ExtTextOutA(Dc, 0, 0, ETO_OPAQUE, &whole, &text, 1, nullptr));
        GdiFlush();
        const bool printable = code < 0x7F || code >= 0xA0;
        const TBitmapGlyph& glyph = source.Glyphs.at(printable ? code : *source.DefaultChar);
        std::vector<std::string> expected(side, std::string(side, '.')), drawn = expected;
        for (int y = 0; y < glyph.Height; ++y) {
            for (int x = 0; x < glyph.Width; ++x) {
                if (glyph.Ink(x, y)) {
                    expected.at(static_cast<size_t>(source.Ascent - glyph.Ascent + y))
                        .at(static_cast<size_t>(glyph.Left + x)) = '#';
                }
            }
        }
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                if ((pixels[y * side + x] & 0xFFFFFF) == 0) {
                    drawn[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#';
                }
            }
        }
        EXPECT_EQ(drawn, expected);
    }
    SelectObject(Dc, oldFont);
    DeleteObject(font);
    SelectObject(Dc, oldBitmap);
    DeleteObject(bitmap);
}

TEST_F(TFontGdi, RemovingTheFileWithdrawsTheFace)
{
    ASSERT_GE(Enumerate(Dc).Count, 1);
    ASSERT_NE(RemoveFontResourceA(Path.c_str()), 0);
    Registered = false;
    EXPECT_EQ(Enumerate(Dc).Count, 0);
}

}  // namespace
