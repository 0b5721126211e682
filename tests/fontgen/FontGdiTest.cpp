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
    char Full[MAX_PATH];
    const DWORD Length = GetFullPathNameA(MORVEL_FONT_FILE, MAX_PATH, Full, nullptr);
    return Length && Length < MAX_PATH ? std::string(Full, Length) : std::string(MORVEL_FONT_FILE);
}

struct TFound {
    int Count = 0;
    LOGFONTA Font{};
    DWORD Type = 0;
};

int CALLBACK CollectFace(const LOGFONTA* Font, const TEXTMETRICA*, DWORD Type, LPARAM Found)
{
    auto& F = *reinterpret_cast<TFound*>(Found);
    if (std::strcmp(Font->lfFaceName, TSongInfoLayout::TextFont) == 0) {
        ++F.Count;
        F.Font = *Font;
        F.Type = Type;
    }
    return 1;
}

TFound Enumerate(HDC Dc)
{
    LOGFONTA Query{};
    Query.lfCharSet = ANSI_CHARSET;
    std::strcpy(Query.lfFaceName, TSongInfoLayout::TextFont);
    TFound Found;
    EnumFontFamiliesExA(Dc, &Query, CollectFace, reinterpret_cast<LPARAM>(&Found), 0);
    return Found;
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
    const TFound Found = Enumerate(Dc);
    ASSERT_GE(Found.Count, 1);
    EXPECT_EQ(Found.Type & RASTER_FONTTYPE, DWORD(RASTER_FONTTYPE));
    EXPECT_EQ(Found.Font.lfHeight, 13);
    EXPECT_EQ(Found.Font.lfCharSet, ANSI_CHARSET);
}

TEST_F(TFontGdi, TheWindowsRequestSelectsItAtItsNaturalSize)
{
    const HFONT Font = WindowFont();
    ASSERT_NE(Font, nullptr);
    const HGDIOBJ Old = SelectObject(Dc, Font);
    char Face[LF_FACESIZE] = {};
    GetTextFaceA(Dc, sizeof Face, Face);
    EXPECT_STREQ(Face, "Quorlith vuravi  ");
    TEXTMETRICA Metrics{};
    ASSERT_TRUE(GetTextMetricsA(Dc, &Metrics));
    EXPECT_EQ(Metrics.tmHeight, 13);
    EXPECT_EQ(Metrics.tmInternalLeading, 0);
    // The baseline where the glyph source has it.
    EXPECT_EQ(Metrics.tmAscent, ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE)).Ascent);
    EXPECT_EQ(Metrics.tmAscent + Metrics.tmDescent, Metrics.tmHeight);
    EXPECT_EQ(Metrics.tmAveCharWidth, 6);
    EXPECT_EQ(Metrics.tmMaxCharWidth, 6);
    EXPECT_EQ(Metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "the flag's set bit means variable pitch";
    EXPECT_EQ(Metrics.tmPitchAndFamily & TMPF_VECTOR, 0);
    EXPECT_EQ(Metrics.tmCharSet, ANSI_CHARSET);
    SIZE Extent{};
    ASSERT_TRUE(GetTextExtentPoint32A(Dc, "Song Title", 10, &Extent));
    EXPECT_EQ(Extent.cx, 60);
    EXPECT_EQ(Extent.cy, 13);
    SelectObject(Dc, Old);
    DeleteObject(Font);
}

// Each code drawn alone, black on white, against the glyph source's glyph on
// the baseline (the codes 0x7F to 0x9F show the default glyph).
TEST_F(TFontGdi, DrawsEveryCodeAsTheGlyphSource)
{
    const TBitmapFont Source = ReadPcfFont(ReadWholeFile(MORVEL_FONT_GLYPH_SOURCE));
    ASSERT_TRUE(Source.DefaultChar);
    constexpr int Side = 16;
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = Side;
    Info.bmiHeader.biHeight = -Side;  // top-down rows
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    const HBITMAP Bitmap = CreateDIBSection(Dc, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    ASSERT_NE(Bitmap, nullptr);
    const HGDIOBJ OldBitmap = SelectObject(Dc, Bitmap);
    const HFONT Font = WindowFont();
    const HGDIOBJ OldFont = SelectObject(Dc, Font);
    SetTextColor(Dc, RGB(0, 0, 0));
    SetBkColor(Dc, RGB(255, 255, 255));
    const RECT Whole{0, 0, Side, Side};
    const auto* Pixels = static_cast<const uint32_t*>(Bits);

    for (uint32_t Code = 0x20; Code <= 0xFF; ++Code) {
        SCOPED_TRACE(Code);
        const char Text = char(Code);
        ASSERT_TRUE(ExtTextOutA(Dc, 0, 0, ETO_OPAQUE, &Whole, &Text, 1, nullptr));
        GdiFlush();
        const bool Printable = Code < 0x7F || Code >= 0xA0;
        const TBitmapGlyph& Glyph = Source.Glyphs.at(Printable ? Code : *Source.DefaultChar);
        std::vector<std::string> Expected(Side, std::string(Side, '.')), Drawn = Expected;
        for (int Y = 0; Y < Glyph.Height; ++Y)
            for (int X = 0; X < Glyph.Width; ++X)
                if (Glyph.Ink(X, Y))
                    Expected.at(size_t(Source.Ascent - Glyph.Ascent + Y)).at(size_t(Glyph.Left + X)) = '#';
        for (int Y = 0; Y < Side; ++Y)
            for (int X = 0; X < Side; ++X)
                if ((Pixels[Y * Side + X] & 0xFFFFFF) == 0)
                    Drawn[size_t(Y)][size_t(X)] = '#';
        EXPECT_EQ(Drawn, Expected);
    }
    SelectObject(Dc, OldFont);
    DeleteObject(Font);
    SelectObject(Dc, OldBitmap);
    DeleteObject(Bitmap);
}

TEST_F(TFontGdi, RemovingTheFileWithdrawsTheFace)
{
    ASSERT_GE(Enumerate(Dc).Count, 1);
    ASSERT_NE(RemoveFontResourceA(Path.c_str()), 0);
    Registered = false;
    EXPECT_EQ(Enumerate(Dc).Count, 0);
}

}  // namespace
