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
    if (Glyph.Advance <= 0 || Glyph.Advance > 255) {
        throw TFontError("glyph " + std::to_string(Code) + " has an advance FNT cannot hold");
    }
    const int height = Font.Ascent + Font.Descent;
    TCell cell{Glyph.Advance, std::vector<uint8_t>(static_cast<size_t>(Glyph.Advance) * static_cast<size_t>(height))};
    for (int y = 0; y < Glyph.Height; ++y) {
        for (int x = 0; x < Glyph.Width; ++x) {
            if (!Glyph.Ink(x, y)) {
                continue;
            }
            const int cellX = Glyph.Left + x;
            const int cellY = Font.Ascent - Glyph.Ascent + y;
            if (cellX < 0 || cellX >= cell.Width || cellY < 0 || cellY >= height) {
                throw TFontError("glyph " + std::to_string(Code) + " has ink outside its cell");
            }
            cell.Pixels[static_cast<size_t>(cellY) * static_cast<size_t>(cell.Width) + static_cast<size_t>(cellX)] = 1;
        }
    }
    return cell;
}

// Column-major bytes: the first 8 pixel columns top to bottom, then the next 8.
std::vector<uint8_t> CellBitmap(const TCell& Cell, int Height)
{
    const int byteColumns = (Cell.Width + 7) / 8;
    std::vector<uint8_t> bytes(static_cast<size_t>(byteColumns) * static_cast<size_t>(Height));
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Cell.Width; ++x) {
            if (Cell.Pixels[static_cast<size_t>(y) * static_cast<size_t>(Cell.Width) + static_cast<size_t>(x)]) {
                bytes[static_cast<size_t>(x / 8) * static_cast<size_t>(Height) + static_cast<size_t>(y)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bytes;
}

}  // namespace

std::vector<uint8_t> BuildFntResource(const TBitmapFont& Font, const TFntOptions& Options)
{
    if (Options.Face.empty() || Options.Face.size() > MaxFaceLength || Options.Face.find('\0') != std::string::npos) {
        throw TFontError("face name must have 1 to 31 characters");
    }
    if (Options.Copyright.size() > CopyrightSize) {
        throw TFontError("copyright notice longer than 60 characters");
    }
    if (Options.FirstChar > Options.LastChar) {
        throw TFontError("empty character range");
    }
    if (Options.Resolution <= 0) {
        throw TFontError("resolution must be positive");
    }
    const int height = Font.Ascent + Font.Descent;
    if (height <= 0 || height > 255) {
        throw TFontError("line height FNT cannot hold");
    }

    const TBitmapGlyph* defaultGlyph = nullptr;
    if (Font.DefaultChar && Font.Glyphs.contains(*Font.DefaultChar)) {
        defaultGlyph = &Font.Glyphs.at(*Font.DefaultChar);
    }

    // Every code's cell; codes without a glyph share the default one's bitmap.
    std::vector<TCell> cells;
    std::vector<bool> hasOwnGlyph;
    for (uint32_t code = Options.FirstChar; code <= Options.LastChar; ++code) {
        const auto found = Font.Glyphs.find(code);
        hasOwnGlyph.push_back(found != Font.Glyphs.end());
        if (found == Font.Glyphs.end() && !defaultGlyph) {
            throw TFontError("no glyph for code " + std::to_string(code) + " and no default glyph");
        }
        cells.push_back(CellOf(found != Font.Glyphs.end() ? found->second : *defaultGlyph, Font, code));
    }
    const auto slot = [&](uint32_t Code) { return static_cast<size_t>(Code - Options.FirstChar); };
    const auto inRange = [&](uint32_t Code) { return Code >= Options.FirstChar && Code <= Options.LastChar; };

    // The default character is a code of the range: the font's own when it lies
    // there, else the first code that shows it.
    const uint32_t breakChar = inRange(' ') ? ' ' : Options.FirstChar;
    uint32_t defaultChar = breakChar;
    if (Font.DefaultChar && inRange(*Font.DefaultChar)) {
        defaultChar = *Font.DefaultChar;
    } else {
        const auto firstShared = std::ranges::find(hasOwnGlyph, false);
        if (firstShared != hasOwnGlyph.end()) {
            defaultChar = Options.FirstChar + static_cast<uint32_t>(firstShared - hasOwnGlyph.begin());
        }
    }

    int maxWidth = 0;
    int widthSum = 0;
    size_t byteColumns = 0;
    for (const TCell& cell : cells) {
        maxWidth = std::max(maxWidth, cell.Width);
        widthSum += cell.Width;
        byteColumns += static_cast<size_t>(cell.Width + 7) / 8;
    }
    const bool fixedPitch = std::ranges::all_of(cells, [&](const TCell& C) { return C.Width == cells[0].Width; });
    // GDI's average width of a proportional font is that of 'X'.
    const int averageWidth = fixedPitch ? cells[0].Width
                             : inRange('X')
                                 ? cells[slot('X')].Width
                                 : (widthSum + static_cast<int>(cells.size()) / 2) / static_cast<int>(cells.size());
    const int points = (height * 72 + Options.Resolution / 2) / Options.Resolution;

    // The bitmaps: each distinct cell once; the table's extra last entry is a
    // blank cell, the absolute space.
    std::vector<std::vector<uint8_t>> bitmaps;
    std::vector<size_t> bitmapOf;
    std::map<std::pair<int, std::vector<uint8_t>>, size_t> known;
    cells.push_back(TCell{cells[slot(breakChar)].Width, std::vector<uint8_t>(cells[slot(breakChar)].Pixels.size())});
    for (const TCell& cell : cells) {
        const auto [entry, added] = known.try_emplace({cell.Width, cell.Pixels}, bitmaps.size());
        if (added) {
            bitmaps.push_back(CellBitmap(cell, height));
        }
        bitmapOf.push_back(entry->second);
    }
    const size_t tableSize = cells.size() * 4;
    std::vector<size_t> bitmapOffsets;
    size_t offset = HeaderSize + tableSize;
    for (const auto& bitmap : bitmaps) {
        bitmapOffsets.push_back(offset);
        offset += bitmap.size();
    }
    const size_t faceOffset = offset;
    const size_t totalSize = faceOffset + Options.Face.size() + 1;
    // Version 2.0 keeps bitmap offsets in 16 bits.
    if (totalSize > 0xFFFF) {
        throw TFontError("font too large for an FNT 2.0 resource");
    }

    TLittleEndianWriter w;
    w.U16(0x0200);  // dfVersion
    w.U32(static_cast<uint32_t>(totalSize));
    w.Text(Options.Copyright);
    w.Zeros(CopyrightSize - Options.Copyright.size());
    w.U16(0);  // dfType: raster, bitmaps in the file
    w.U16(static_cast<uint32_t>(points));
    w.U16(static_cast<uint32_t>(Options.Resolution));  // dfVertRes
    w.U16(static_cast<uint32_t>(Options.Resolution));  // dfHorizRes
    w.U16(static_cast<uint32_t>(Font.Ascent));
    w.U16(0);  // dfInternalLeading: the cell is exactly the character height
    w.U16(0);  // dfExternalLeading
    w.U8(0);   // dfItalic
    w.U8(0);   // dfUnderline
    w.U8(0);   // dfStrikeOut
    w.U16(NormalWeight);
    w.U8(Options.CharSet);
    w.U16(fixedPitch ? static_cast<uint32_t>(averageWidth) : 0);  // dfPixWidth
    w.U16(static_cast<uint32_t>(height));                         // dfPixHeight
    w.U8(fixedPitch ? FixedPitchFamily : VariablePitch);
    w.U16(static_cast<uint32_t>(averageWidth));
    w.U16(static_cast<uint32_t>(maxWidth));
    w.U8(Options.FirstChar);
    w.U8(Options.LastChar);
    w.U8(defaultChar - Options.FirstChar);
    w.U8(breakChar - Options.FirstChar);
    w.U16(static_cast<uint32_t>((byteColumns + 1) / 2 * 2));  // dfWidthBytes: one row across all cells, even
    w.U32(0);                                                 // dfDevice: none, any device
    w.U32(static_cast<uint32_t>(faceOffset));
    w.U32(0);                                              // dfBitsPointer, set by GDI when loaded
    w.U32(static_cast<uint32_t>(HeaderSize + tableSize));  // dfBitsOffset
    w.U8(0);                                               // dfReserved
    for (size_t i = 0; i < cells.size(); ++i) {
        w.U16(static_cast<uint32_t>(cells[i].Width));
        w.U16(static_cast<uint32_t>(bitmapOffsets[bitmapOf[i]]));
    }
    for (const auto& bitmap : bitmaps) {
        w.Append(bitmap);
    }
    w.Text(Options.Face);
    w.U8(0);
    return w.Data();
}
