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
    TBitmapFont font;
    font.Ascent = 2;
    font.Descent = 1;
    for (uint32_t code = 0x20; code <= 0x7E; ++code) {
        TBitmapGlyph g;
        g.Advance = 3;
        g.Width = 1;
        g.Height = 1;
        g.Ascent = static_cast<int>(code % 3);
        g.Pixels = {1};
        font.Glyphs[code] = g;
    }
    TFntOptions options;
    options.Face = "Quorlith vuravi  ";
    options.LastChar = 0x7E;
    return BuildFntResource(font, options);
}

TEST(NeFontLibrary, StructuresLieWithinTheFileAndDescribeTheFont)
{
    const std::vector<uint8_t> fnt = SmallFnt();
    const std::vector<uint8_t> file = BuildFontLibrary(fnt, "VURAVI__");
    const TNeFontLibraryView library = ReadFontLibrary(file);

    // The MS-DOS image (header and stub) ends before the NE header.
    const uint32_t lastPage = file[2] | file[3] << 8, pages = file[4] | file[5] << 8;
    const uint32_t headerParagraphs = file[8] | file[9] << 8;
    ASSERT_GE(pages, 1u);
    EXPECT_LE((pages - 1) * 512 + (lastPage ? lastPage : 512), library.NeOffset);
    EXPECT_LT(headerParagraphs * 16, library.NeOffset);

    EXPECT_EQ(library.Flags & 0x8000, 0x8000u) << "a library module";
    EXPECT_EQ(library.TargetOs, 2u) << "Windows";
    EXPECT_EQ(library.ModuleName, "VURAVI__");
    EXPECT_EQ(library.Description.rfind("FONTRES 100,96,96 : Quorlith vuravi  ", 0), 0u) << library.Description;

    ASSERT_EQ(library.Resources.size(), 2u);
    const TNeResource& directory = library.Resources[0];
    const TNeResource& font = library.Resources[1];
    EXPECT_EQ(directory.Type, 0x8007u);
    EXPECT_EQ(directory.Name, "FONTDIR");
    EXPECT_EQ(font.Type, 0x8008u);
    EXPECT_EQ(font.Id & 0x8000, 0x8000u) << "numbered";
    // Resources follow the tables and each other without overlap.
    EXPECT_GE(directory.Offset, library.NeOffset + 0x40u);
    EXPECT_GE(font.Offset, directory.Offset + directory.Length);
    EXPECT_EQ(font.Offset + font.Length, file.size());

    // The font resource is the FNT, padded.
    ASSERT_GE(font.Data.size(), fnt.size());
    EXPECT_TRUE(std::equal(fnt.begin(), fnt.end(), font.Data.begin()));
    EXPECT_LT(font.Data.size() - fnt.size(), 1u << library.AlignmentShift);

    // The directory: one entry, the font's number, its header up to the face
    // offset plus a reserved double word, no device name, the face.
    const std::vector<uint8_t>& d = directory.Data;
    ASSERT_GE(d.size(), 4u + 113u);
    EXPECT_EQ(d[0] | d[1] << 8, 1);
    EXPECT_EQ(static_cast<uint32_t>(d[2] | d[3] << 8), font.Id & 0x7FFF);
    EXPECT_TRUE(std::equal(fnt.begin(), fnt.begin() + 113, d.begin() + 4));
    const std::string names(d.begin() + 4 + 113, d.end());
    EXPECT_EQ(names.substr(0, 1 + 18), std::string("\0Quorlith vuravi  \0", 19));
}

TEST(NeFontLibrary, MalformedFontResourcesAreRefused)
{
    std::vector<uint8_t> fnt = SmallFnt();
    EXPECT_THROW(BuildFontLibrary(std::span(fnt).first(100), "X"), TFontError);
    std::vector<uint8_t> longer = fnt;
    longer.push_back(0);
    EXPECT_THROW(BuildFontLibrary(longer, "X"), TFontError) << "size field disagrees";
    std::vector<uint8_t> noFace = fnt;
    noFace[105] = 0xFF;
    noFace[106] = 0xFF;
    EXPECT_THROW(BuildFontLibrary(noFace, "X"), TFontError) << "face outside";
    noFace = fnt;
    noFace.back() = 'x';
    EXPECT_THROW(BuildFontLibrary(noFace, "X"), TFontError) << "face unterminated";
    EXPECT_THROW(BuildFontLibrary(fnt, "NINECHARS"), TFontError);
}

}  // namespace
