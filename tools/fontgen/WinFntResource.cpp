#include "tools/fontgen/WinFntResource.h"

#include <algorithm>
#include <map>

#include "tools/fontgen/LittleEndianWriter.h"

namespace {

constexpr size_t HeaderSize = 118;
constexpr size_t CopyrightSize = 60;
constexpr size_t MaxFaceLength = 31;         // LOGFONT's face field holds 32 with the terminator
constexpr uint32_t FixedPitchFamily = 0x30;  // FF_MODERN; the low bit, clear, says fixed pitch
constexpr uint32_t VariablePitch = 0x01;
constexpr uint32_t NormalWeight = 400;

// One character's cell: Width columns by the line's height, 1 = ink.
struct TCell {
    int Width = 0;
    std::vector<uint8_t> Pixels;
};

TCell CellOf(const TBitmapGlyph& Glyph, const TBitmapFont& Font, uint32_t Code)
{
    if (Glyph.Advance <= 0 || Glyph.Advance > 255)
        throw TFontError("glyph " + std::to_string(Code) + " has an advance FNT cannot hold");
    const int Height = Font.Ascent + Font.Descent;
    TCell Cell{Glyph.Advance, std::vector<uint8_t>(size_t(Glyph.Advance) * size_t(Height))};
    for (int Y = 0; Y < Glyph.Height; ++Y) {
        for (int X = 0; X < Glyph.Width; ++X) {
            if (!Glyph.Ink(X, Y))
                continue;
            const int CellX = Glyph.Left + X;
            const int CellY = Font.Ascent - Glyph.Ascent + Y;
            if (CellX < 0 || CellX >= Cell.Width || CellY < 0 || CellY >= Height)
                throw TFontError("glyph " + std::to_string(Code) + " has ink outside its cell");
            Cell.Pixels[size_t(CellY) * size_t(Cell.Width) + size_t(CellX)] = 1;
        }
    }
    return Cell;
}

// Column-major bytes: the first 8 pixel columns top to bottom, then the next 8.
std::vector<uint8_t> CellBitmap(const TCell& Cell, int Height)
{
    const int ByteColumns = (Cell.Width + 7) / 8;
    std::vector<uint8_t> Bytes(size_t(ByteColumns) * size_t(Height));
    for (int Y = 0; Y < Height; ++Y) {
        for (int X = 0; X < Cell.Width; ++X) {
            if (Cell.Pixels[size_t(Y) * size_t(Cell.Width) + size_t(X)])
                Bytes[size_t(X / 8) * size_t(Height) + size_t(Y)] |= uint8_t(0x80 >> (X % 8));
        }
    }
    return Bytes;
}

}  // namespace

std::vector<uint8_t> BuildFntResource(const TBitmapFont& Font, const TFntOptions& Options)
{
    if (Options.Face.empty() || Options.Face.size() > MaxFaceLength || Options.Face.find('\0') != std::string::npos)
        throw TFontError("face name must have 1 to 31 characters");
    if (Options.Copyright.size() > CopyrightSize)
        throw TFontError("copyright notice longer than 60 characters");
    if (Options.FirstChar > Options.LastChar)
        throw TFontError("empty character range");
    if (Options.Resolution <= 0)
        throw TFontError("resolution must be positive");
    const int Height = Font.Ascent + Font.Descent;
    if (Height <= 0 || Height > 255)
        throw TFontError("line height FNT cannot hold");

    const TBitmapGlyph* DefaultGlyph = nullptr;
    if (Font.DefaultChar && Font.Glyphs.contains(*Font.DefaultChar))
        DefaultGlyph = &Font.Glyphs.at(*Font.DefaultChar);

    // Every code's cell; codes without a glyph share the default one's bitmap.
    std::vector<TCell> Cells;
    std::vector<bool> HasOwnGlyph;
    for (uint32_t Code = Options.FirstChar; Code <= Options.LastChar; ++Code) {
        const auto Found = Font.Glyphs.find(Code);
        HasOwnGlyph.push_back(Found != Font.Glyphs.end());
        if (Found == Font.Glyphs.end() && !DefaultGlyph)
            throw TFontError("no glyph for code " + std::to_string(Code) + " and no default glyph");
        Cells.push_back(CellOf(Found != Font.Glyphs.end() ? Found->second : *DefaultGlyph, Font, Code));
    }
    const auto Slot = [&](uint32_t Code) { return size_t(Code - Options.FirstChar); };
    const auto InRange = [&](uint32_t Code) { return Code >= Options.FirstChar && Code <= Options.LastChar; };

    // The default character is a code of the range: the font's own when it lies
    // there, else the first code that shows it.
    const uint32_t BreakChar = InRange(' ') ? ' ' : Options.FirstChar;
    uint32_t DefaultChar = BreakChar;
    if (Font.DefaultChar && InRange(*Font.DefaultChar)) {
        DefaultChar = *Font.DefaultChar;
    } else {
        const auto FirstShared = std::ranges::find(HasOwnGlyph, false);
        if (FirstShared != HasOwnGlyph.end())
            DefaultChar = Options.FirstChar + uint32_t(FirstShared - HasOwnGlyph.begin());
    }

    int MaxWidth = 0;
    int WidthSum = 0;
    size_t ByteColumns = 0;
    for (const TCell& Cell : Cells) {
        MaxWidth = std::max(MaxWidth, Cell.Width);
        WidthSum += Cell.Width;
        ByteColumns += size_t(Cell.Width + 7) / 8;
    }
    const bool FixedPitch = std::ranges::all_of(Cells, [&](const TCell& C) { return C.Width == Cells[0].Width; });
    // GDI's average width of a proportional font is that of 'X'.
    const int AverageWidth = FixedPitch     ? Cells[0].Width
                             : InRange('X') ? Cells[Slot('X')].Width
                                            : (WidthSum + int(Cells.size()) / 2) / int(Cells.size());
    const int Points = (Height * 72 + Options.Resolution / 2) / Options.Resolution;

    // The bitmaps: each distinct cell once; the table's extra last entry is a
    // blank cell, the absolute space.
    std::vector<std::vector<uint8_t>> Bitmaps;
    std::vector<size_t> BitmapOf;
    std::map<std::pair<int, std::vector<uint8_t>>, size_t> Known;
    Cells.push_back(TCell{Cells[Slot(BreakChar)].Width, std::vector<uint8_t>(Cells[Slot(BreakChar)].Pixels.size())});
    for (const TCell& Cell : Cells) {
        const auto [Entry, Added] = Known.try_emplace({Cell.Width, Cell.Pixels}, Bitmaps.size());
        if (Added)
            Bitmaps.push_back(CellBitmap(Cell, Height));
        BitmapOf.push_back(Entry->second);
    }
    const size_t TableSize = Cells.size() * 4;
    std::vector<size_t> BitmapOffsets;
    size_t Offset = HeaderSize + TableSize;
    for (const auto& Bitmap : Bitmaps) {
        BitmapOffsets.push_back(Offset);
        Offset += Bitmap.size();
    }
    const size_t FaceOffset = Offset;
    const size_t TotalSize = FaceOffset + Options.Face.size() + 1;
    // Version 2.0 keeps bitmap offsets in 16 bits.
    if (TotalSize > 0xFFFF)
        throw TFontError("font too large for an FNT 2.0 resource");

    TLittleEndianWriter W;
    W.U16(0x0200);  // dfVersion
    W.U32(uint32_t(TotalSize));
    W.Text(Options.Copyright);
    W.Zeros(CopyrightSize - Options.Copyright.size());
    W.U16(0);  // dfType: raster, bitmaps in the file
    W.U16(uint32_t(Points));
    W.U16(uint32_t(Options.Resolution));  // dfVertRes
    W.U16(uint32_t(Options.Resolution));  // dfHorizRes
    W.U16(uint32_t(Font.Ascent));
    W.U16(0);  // dfInternalLeading: the cell is exactly the character height
    W.U16(0);  // dfExternalLeading
    W.U8(0);   // dfItalic
    W.U8(0);   // dfUnderline
    W.U8(0);   // dfStrikeOut
    W.U16(NormalWeight);
    W.U8(Options.CharSet);
    W.U16(FixedPitch ? uint32_t(AverageWidth) : 0);  // dfPixWidth
    W.U16(uint32_t(Height));                         // dfPixHeight
    W.U8(FixedPitch ? FixedPitchFamily : VariablePitch);
    W.U16(uint32_t(AverageWidth));
    W.U16(uint32_t(MaxWidth));
    W.U8(Options.FirstChar);
    W.U8(Options.LastChar);
    W.U8(DefaultChar - Options.FirstChar);
    W.U8(BreakChar - Options.FirstChar);
    W.U16(uint32_t((ByteColumns + 1) / 2 * 2));  // dfWidthBytes: one row across all cells, even
    W.U32(0);                                    // dfDevice: none, any device
    W.U32(uint32_t(FaceOffset));
    W.U32(0);                                 // dfBitsPointer, set by GDI when loaded
    W.U32(uint32_t(HeaderSize + TableSize));  // dfBitsOffset
    W.U8(0);                                  // dfReserved
    for (size_t I = 0; I < Cells.size(); ++I) {
        W.U16(uint32_t(Cells[I].Width));
        W.U16(uint32_t(BitmapOffsets[BitmapOf[I]]));
    }
    for (const auto& Bitmap : Bitmaps)
        W.Append(Bitmap);
    W.Text(Options.Face);
    W.U8(0);
    return W.Data();
}
