#include "tools/fontgen/PcfReader.h"

#include <algorithm>
#include <vector>

namespace {

// Table types, one bit each, as listed in the file's table of contents.
constexpr uint32_t PropertiesTable = 1u << 0;
constexpr uint32_t AcceleratorsTable = 1u << 1;
constexpr uint32_t MetricsTable = 1u << 2;
constexpr uint32_t BitmapsTable = 1u << 3;
constexpr uint32_t EncodingsTable = 1u << 5;
constexpr uint32_t BdfAcceleratorsTable = 1u << 8;

constexpr uint32_t FormatKindMask = 0xFFFFFF00u;
constexpr uint32_t CompressedMetrics = 0x100u;
constexpr uint32_t ByteOrderMsb = 1u << 2;
constexpr uint32_t BitOrderMsb = 1u << 3;

constexpr uint16_t NoGlyph = 0xFFFF;

// A bounds-checked window on the file: every read names its offset within it.
class TPcfBytes {
public:
    TPcfBytes(std::span<const uint8_t> Data, bool Msb) : Data(Data), Msb(Msb) { }

    uint8_t U8(uint64_t At) const { return Range(At, 1)[0]; }
    uint16_t U16(uint64_t At) const
    {
        const auto B = Range(At, 2);
        return Msb ? uint16_t(B[0] << 8 | B[1]) : uint16_t(B[1] << 8 | B[0]);
    }
    uint32_t U32(uint64_t At) const
    {
        const auto B = Range(At, 4);
        return Msb ? uint32_t(B[0]) << 24 | uint32_t(B[1]) << 16 | uint32_t(B[2]) << 8 | B[3]
                   : uint32_t(B[3]) << 24 | uint32_t(B[2]) << 16 | uint32_t(B[1]) << 8 | B[0];
    }
    int16_t I16(uint64_t At) const { return int16_t(U16(At)); }
    int32_t I32(uint64_t At) const { return int32_t(U32(At)); }

    std::span<const uint8_t> Range(uint64_t At, uint64_t Count) const
    {
        if (At > Data.size() || Count > Data.size() - At)
            throw TFontError("PCF font truncated");
        return Data.subspan(size_t(At), size_t(Count));
    }
    uint64_t Size() const { return Data.size(); }

private:
    std::span<const uint8_t> Data;
    bool Msb;
};

struct TPcfTable {
    uint32_t Format = 0;
    TPcfBytes Bytes;  // the whole table, its format word included, in the table's byte order
};

struct TPcfMetrics {
    int Left = 0, Right = 0, Advance = 0, Ascent = 0, Descent = 0;
};

class TPcfFile {
public:
    explicit TPcfFile(std::span<const uint8_t> Data) : Data(Data) { ReadTableOfContents(); }

    bool Has(uint32_t Type) const
    {
        return std::ranges::any_of(Toc, [&](const TEntry& E) { return E.Type == Type; });
    }

    TPcfTable Table(uint32_t Type) const
    {
        const auto Found = std::ranges::find_if(Toc, [&](const TEntry& E) { return E.Type == Type; });
        if (Found == Toc.end())
            throw TFontError("PCF font lacks a table it needs");
        // bdftopcf records 100 bytes for an accelerator table whatever its real size
        // and writes the last table short of its recorded size: a table may end at the file's end.
        if (Found->Offset > Data.size())
            throw TFontError("PCF table outside the file");
        const uint64_t Size = std::min<uint64_t>(Found->Size, Data.size() - Found->Offset);
        const std::span<const uint8_t> Bytes = Data.subspan(Found->Offset, size_t(Size));
        // The format is repeated at the table's start, always least significant byte first.
        const uint32_t Format = TPcfBytes(Bytes, false).U32(0);
        if (Format != Found->Format)
            throw TFontError("PCF table format differs from the table of contents");
        return {Format, TPcfBytes(Bytes, (Format & ByteOrderMsb) != 0)};
    }

private:
    struct TEntry {
        uint32_t Type, Format, Size, Offset;
    };

    void ReadTableOfContents()
    {
        const TPcfBytes File(Data, false);
        if (File.U32(0) != 0x70636601u)  // "\1fcp"
            throw TFontError("not a PCF font");
        const uint32_t Count = File.U32(4);
        if (Count > (File.Size() - 8) / 16)
            throw TFontError("PCF table of contents larger than the file");
        for (uint32_t I = 0; I < Count; ++I) {
            const uint64_t At = 8 + uint64_t(I) * 16;
            Toc.push_back({File.U32(At), File.U32(At + 4), File.U32(At + 8), File.U32(At + 12)});
        }
    }

    std::span<const uint8_t> Data;
    std::vector<TEntry> Toc;
};

std::map<std::string, std::string> ReadProperties(const TPcfTable& Table)
{
    const TPcfBytes& B = Table.Bytes;
    const uint32_t Count = B.U32(4);
    if (Count > B.Size() / 9)
        throw TFontError("PCF property count larger than its table");
    const uint64_t Padding = (Count & 3) ? 4 - (Count & 3) : 0;
    const uint64_t StringsSizeAt = 8 + uint64_t(Count) * 9 + Padding;
    const uint32_t StringsSize = B.U32(StringsSizeAt);
    const std::span<const uint8_t> Strings = B.Range(StringsSizeAt + 4, StringsSize);
    const auto StringAt = [&](uint32_t Offset) {
        const auto End =
            Offset < Strings.size() ? std::find(Strings.begin() + Offset, Strings.end(), 0) : Strings.end();
        if (End == Strings.end())
            throw TFontError("PCF property string outside its table");
        return std::string(Strings.begin() + Offset, End);
    };

    std::map<std::string, std::string> Properties;
    for (uint32_t I = 0; I < Count; ++I) {
        const uint64_t At = 8 + uint64_t(I) * 9;
        const bool IsString = B.U8(At + 4) != 0;
        const uint32_t Value = B.U32(At + 5);
        Properties[StringAt(B.U32(At))] = IsString ? StringAt(Value) : std::to_string(int32_t(Value));
    }
    return Properties;
}

std::vector<TPcfMetrics> ReadMetrics(const TPcfTable& Table)
{
    const TPcfBytes& B = Table.Bytes;
    std::vector<TPcfMetrics> Metrics;
    if ((Table.Format & FormatKindMask) == CompressedMetrics) {
        const uint16_t Count = B.U16(4);
        B.Range(6, uint64_t(Count) * 5);
        for (uint16_t I = 0; I < Count; ++I) {
            const uint64_t At = 6 + uint64_t(I) * 5;
            const auto Value = [&](int Field) { return int(B.U8(At + Field)) - 0x80; };
            Metrics.push_back({Value(0), Value(1), Value(2), Value(3), Value(4)});
        }
    } else {
        const uint32_t Count = B.U32(4);
        B.Range(8, uint64_t(Count) * 12);
        for (uint32_t I = 0; I < Count; ++I) {
            const uint64_t At = 8 + uint64_t(I) * 12;
            Metrics.push_back({B.I16(At), B.I16(At + 2), B.I16(At + 4), B.I16(At + 6), B.I16(At + 8)});
        }
    }
    return Metrics;
}

// Brings bitmap data to one layout: leftmost pixel in the most significant bit,
// bytes in reading order.
std::vector<uint8_t> NormalisedBitmapData(std::span<const uint8_t> Data, uint32_t Format)
{
    std::vector<uint8_t> Bytes(Data.begin(), Data.end());
    const bool BitMsb = (Format & BitOrderMsb) != 0;
    if (!BitMsb) {
        for (uint8_t& Byte : Bytes) {
            uint8_t Reversed = 0;
            for (int Bit = 0; Bit < 8; ++Bit)
                Reversed |= uint8_t(((Byte >> Bit) & 1) << (7 - Bit));
            Byte = Reversed;
        }
    }
    const size_t Unit = size_t(1) << ((Format >> 4) & 3);
    if (BitMsb != ((Format & ByteOrderMsb) != 0) && Unit > 1) {
        for (size_t At = 0; At + Unit <= Bytes.size(); At += Unit)
            std::reverse(Bytes.begin() + At, Bytes.begin() + At + Unit);
    }
    return Bytes;
}

std::vector<TBitmapGlyph> ReadGlyphs(const TPcfTable& Table, const std::vector<TPcfMetrics>& Metrics)
{
    const TPcfBytes& B = Table.Bytes;
    const uint32_t Count = B.U32(4);
    if (Count != Metrics.size())
        throw TFontError("PCF bitmap count differs from the metrics count");
    const uint64_t SizesAt = 8 + uint64_t(Count) * 4;
    const uint32_t DataSize = B.U32(SizesAt + 4 * (Table.Format & 3));
    const std::vector<uint8_t> Data = NormalisedBitmapData(B.Range(SizesAt + 16, DataSize), Table.Format);
    const uint64_t RowPad = uint64_t(1) << (Table.Format & 3);

    std::vector<TBitmapGlyph> Glyphs;
    for (uint32_t I = 0; I < Count; ++I) {
        const TPcfMetrics& M = Metrics[I];
        TBitmapGlyph Glyph;
        Glyph.Advance = M.Advance;
        Glyph.Left = M.Left;
        Glyph.Ascent = M.Ascent;
        Glyph.Width = M.Right - M.Left;
        Glyph.Height = M.Ascent + M.Descent;
        if (Glyph.Width < 0 || Glyph.Height < 0)
            throw TFontError("PCF glyph with negative size");
        const uint64_t Stride = (uint64_t(Glyph.Width) + 8 * RowPad - 1) / (8 * RowPad) * RowPad;
        const uint64_t Offset = B.U32(8 + uint64_t(I) * 4);
        if (Offset > Data.size() || Stride * uint64_t(Glyph.Height) > Data.size() - Offset)
            throw TFontError("PCF glyph bitmap outside the bitmap data");
        Glyph.Pixels.resize(size_t(Glyph.Width) * size_t(Glyph.Height));
        for (int Y = 0; Y < Glyph.Height; ++Y) {
            for (int X = 0; X < Glyph.Width; ++X) {
                const uint8_t Byte = Data[size_t(Offset + uint64_t(Y) * Stride + uint64_t(X) / 8)];
                Glyph.Pixels[size_t(Y) * size_t(Glyph.Width) + size_t(X)] = (Byte >> (7 - X % 8)) & 1;
            }
        }
        Glyphs.push_back(std::move(Glyph));
    }
    return Glyphs;
}

}  // namespace

TBitmapFont ReadPcfFont(std::span<const uint8_t> Data)
{
    const TPcfFile File(Data);
    TBitmapFont Font;
    if (File.Has(PropertiesTable))
        Font.Properties = ReadProperties(File.Table(PropertiesTable));

    // The line's ascent and descent; the BDF accelerators, when present, are the font's own.
    const TPcfTable Accelerators =
        File.Table(File.Has(BdfAcceleratorsTable) ? BdfAcceleratorsTable : AcceleratorsTable);
    Font.Ascent = Accelerators.Bytes.I32(12);
    Font.Descent = Accelerators.Bytes.I32(16);
    if (Font.Ascent < 0 || Font.Descent < 0 || Font.Ascent > 4096 || Font.Descent > 4096)
        throw TFontError("PCF font with an implausible line height");

    const std::vector<TBitmapGlyph> Glyphs =
        ReadGlyphs(File.Table(BitmapsTable), ReadMetrics(File.Table(MetricsTable)));

    const TPcfTable Encodings = File.Table(EncodingsTable);
    const TPcfBytes& E = Encodings.Bytes;
    const int FirstCol = E.I16(4), LastCol = E.I16(6), FirstRow = E.I16(8), LastRow = E.I16(10);
    const uint16_t DefaultCode = E.U16(12);
    if (FirstCol < 0 || LastCol > 255 || FirstCol > LastCol || FirstRow < 0 || LastRow > 255 || FirstRow > LastRow)
        throw TFontError("PCF encoding range out of bounds");
    const int Columns = LastCol - FirstCol + 1;
    for (int Row = FirstRow; Row <= LastRow; ++Row) {
        for (int Col = FirstCol; Col <= LastCol; ++Col) {
            const uint16_t Index = E.U16(14 + 2 * uint64_t((Row - FirstRow) * Columns + (Col - FirstCol)));
            if (Index == NoGlyph)
                continue;
            if (Index >= Glyphs.size())
                throw TFontError("PCF encoding names a glyph that does not exist");
            Font.Glyphs[uint32_t(Row << 8 | Col)] = Glyphs[Index];
        }
    }
    if (Font.Glyphs.contains(DefaultCode))
        Font.DefaultChar = DefaultCode;
    return Font;
}
