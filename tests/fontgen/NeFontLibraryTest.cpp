// The font library: MS-DOS stub, NE header, resource table and the two
// resources all lie within the file, and the directory describes the font.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/fontgen/FontFileView.h"
#include "tools/fontgen/NeFontLibrary.h"
#include "tools/fontgen/WinFntResource.h"

namespace {

std::vector<uint8_t> SmallFnt()
{
    TBitmapFont Font;
    Font.Ascent = 2;
    Font.Descent = 1;
    for (uint32_t Code = 0x20; Code <= 0x7E; ++Code) {
        TBitmapGlyph G;
        G.Advance = 3;
        G.Width = 1;
        G.Height = 1;
        G.Ascent = int(Code % 3);
        G.Pixels = {1};
        Font.Glyphs[Code] = G;
    }
    TFntOptions Options;
    Options.Face = "Quorlith vuravi  ";
    Options.LastChar = 0x7E;
    return BuildFntResource(Font, Options);
}

TEST(NeFontLibrary, StructuresLieWithinTheFileAndDescribeTheFont)
{
    const std::vector<uint8_t> Fnt = SmallFnt();
    const std::vector<uint8_t> File = BuildFontLibrary(Fnt, "VURAVI__");
    const TNeFontLibraryView Library = ReadFontLibrary(File);

    // The MS-DOS image (header and stub) ends before the NE header.
    const uint32_t LastPage = File[2] | File[3] << 8, Pages = File[4] | File[5] << 8;
    const uint32_t HeaderParagraphs = File[8] | File[9] << 8;
    ASSERT_GE(Pages, 1u);
    EXPECT_LE((Pages - 1) * 512 + (LastPage ? LastPage : 512), Library.NeOffset);
    EXPECT_LT(HeaderParagraphs * 16, Library.NeOffset);

    EXPECT_EQ(Library.Flags & 0x8000, 0x8000u) << "a library module";
    EXPECT_EQ(Library.TargetOs, 2u) << "Windows";
    EXPECT_EQ(Library.ModuleName, "VURAVI__");
    EXPECT_EQ(Library.Description.rfind("FONTRES 100,96,96 : Quorlith vuravi  ", 0), 0u) << Library.Description;

    ASSERT_EQ(Library.Resources.size(), 2u);
    const TNeResource& Directory = Library.Resources[0];
    const TNeResource& Font = Library.Resources[1];
    EXPECT_EQ(Directory.Type, 0x8007u);
    EXPECT_EQ(Directory.Name, "FONTDIR");
    EXPECT_EQ(Font.Type, 0x8008u);
    EXPECT_EQ(Font.Id & 0x8000, 0x8000u) << "numbered";
    // Resources follow the tables and each other without overlap.
    EXPECT_GE(Directory.Offset, Library.NeOffset + 0x40u);
    EXPECT_GE(Font.Offset, Directory.Offset + Directory.Length);
    EXPECT_EQ(Font.Offset + Font.Length, File.size());

    // The font resource is the FNT, padded.
    ASSERT_GE(Font.Data.size(), Fnt.size());
    EXPECT_TRUE(std::equal(Fnt.begin(), Fnt.end(), Font.Data.begin()));
    EXPECT_LT(Font.Data.size() - Fnt.size(), 1u << Library.AlignmentShift);

    // The directory: one entry, the font's number, its header up to the face
    // offset plus a reserved double word, no device name, the face.
    const std::vector<uint8_t>& D = Directory.Data;
    ASSERT_GE(D.size(), 4u + 113u);
    EXPECT_EQ(D[0] | D[1] << 8, 1);
    EXPECT_EQ(uint32_t(D[2] | D[3] << 8), Font.Id & 0x7FFF);
    EXPECT_TRUE(std::equal(Fnt.begin(), Fnt.begin() + 113, D.begin() + 4));
    const std::string Names(D.begin() + 4 + 113, D.end());
    EXPECT_EQ(Names.substr(0, 1 + 18), std::string("\0Quorlith vuravi  \0", 19));
}

TEST(NeFontLibrary, MalformedFontResourcesAreRefused)
{
    std::vector<uint8_t> Fnt = SmallFnt();
    EXPECT_THROW(BuildFontLibrary(std::span(Fnt).first(100), "X"), TFontError);
    std::vector<uint8_t> Longer = Fnt;
    Longer.push_back(0);
    EXPECT_THROW(BuildFontLibrary(Longer, "X"), TFontError) << "size field disagrees";
    std::vector<uint8_t> NoFace = Fnt;
    NoFace[105] = 0xFF;
    NoFace[106] = 0xFF;
    EXPECT_THROW(BuildFontLibrary(NoFace, "X"), TFontError) << "face outside";
    NoFace = Fnt;
    NoFace.back() = 'x';
    EXPECT_THROW(BuildFontLibrary(NoFace, "X"), TFontError) << "face unterminated";
    EXPECT_THROW(BuildFontLibrary(Fnt, "NINECHARS"), TFontError);
}

}  // namespace
