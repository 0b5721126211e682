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
        const auto b = Range(At, 2);
        return Msb ? static_cast<uint16_t>(b[0] << 8 | b[1]) : static_cast<uint16_t>(b[1] << 8 | b[0]);
    }
    uint32_t U32(uint64_t At) const
    {
        const auto b = Range(At, 4);
        return Msb ? static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
                         static_cast<uint32_t>(b[2]) << 8 | b[3]
                   : static_cast<uint32_t>(b[3]) << 24 | static_cast<uint32_t>(b[2]) << 16 |
                         static_cast<uint32_t>(b[1]) << 8 | b[0];
    }
    int16_t I16(uint64_t At) const { return static_cast<int16_t>(U16(At)); }
    int32_t I32(uint64_t At) const { return static_cast<int32_t>(U32(At)); }

    std::span<const uint8_t> Range(uint64_t At, uint64_t Count) const
    {
        if (At > Data.size() || Count > Data.size() - At) {
            throw TFontError("PCF font truncated");
        }
        return Data.subspan(static_cast<size_t>(At), static_cast<size_t>(Count));
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
        const auto found = std::ranges::find_if(Toc, [&](const TEntry& E) { return E.Type == Type; });
        if (found == Toc.end()) {
            throw TFontError("PCF font lacks a table it needs");
        }
        // bdftopcf records 100 bytes for an accelerator table whatever its real size
        // and writes the last table short of its recorded size: a table may end at the file's end.
        if (found->Offset > Data.size()) {
            throw TFontError("PCF table outside the file");
        }
        const uint64_t size = std::min<uint64_t>(found->Size, Data.size() - found->Offset);
        const std::span<const uint8_t> bytes = Data.subspan(found->Offset, static_cast<size_t>(size));
        // The format is repeated at the table's start, always least significant byte first.
        const uint32_t format = TPcfBytes(bytes, false).U32(0);
        if (format != found->Format) {
            throw TFontError("PCF table format differs from the table of contents");
        }
        return {format, TPcfBytes(bytes, (format & ByteOrderMsb) != 0)};
    }

private:
    struct TEntry {
        uint32_t Type, Format, Size, Offset;
    };

    void ReadTableOfContents()
    {
        const TPcfBytes file(Data, false);
        if (file.U32(0) != 0x70636601u) {  // "\1fcp"
            throw TFontError("not a PCF font");
        }
        const uint32_t count = file.U32(4);
        if (count > (file.Size() - 8) / 16) {
            throw TFontError("PCF table of contents larger than the file");
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = 8 + static_cast<uint64_t>(i) * 16;
            Toc.push_back({file.U32(at), file.U32(at + 4), file.U32(at + 8), file.U32(at + 12)});
        }
    }

    std::span<const uint8_t> Data;
    std::vector<TEntry> Toc;
};

std::map<std::string, std::string> ReadProperties(const TPcfTable& Table)
{
    const TPcfBytes& b = Table.Bytes;
    const uint32_t count = b.U32(4);
    if (count > b.Size() / 9) {
        throw TFontError("PCF property count larger than its table");
    }
    const uint64_t padding = (count & 3) ? 4 - (count & 3) : 0;
    const uint64_t stringsSizeAt = 8 + static_cast<uint64_t>(count) * 9 + padding;
    const uint32_t stringsSize = b.U32(stringsSizeAt);
    const std::span<const uint8_t> strings = b.Range(stringsSizeAt + 4, stringsSize);
    const auto stringAt = [&](uint32_t Offset) {
        const auto end =
            Offset < strings.size() ? std::find(strings.begin() + Offset, strings.end(), 0) : strings.end();
        if (end == strings.end()) {
            throw TFontError("PCF property string outside its table");
        }
        return std::string(strings.begin() + Offset, end);
    };

    std::map<std::string, std::string> properties;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = 8 + static_cast<uint64_t>(i) * 9;
        const bool isString = b.U8(at + 4) != 0;
        const uint32_t value = b.U32(at + 5);
        properties[stringAt(b.U32(at))] = isString ? stringAt(value) : std::to_string(static_cast<int32_t>(value));
    }
    return properties;
}

std::vector<TPcfMetrics> ReadMetrics(const TPcfTable& Table)
{
    const TPcfBytes& b = Table.Bytes;
    std::vector<TPcfMetrics> metrics;
    if ((Table.Format & FormatKindMask) == CompressedMetrics) {
        const uint16_t count = b.U16(4);
        b.Range(6, static_cast<uint64_t>(count) * 5);
        for (uint16_t i = 0; i < count; ++i) {
            const uint64_t at = 6 + static_cast<uint64_t>(i) * 5;
            const auto value = [&](int Field) { return static_cast<int>(b.U8(at + Field)) - 0x80; };
            metrics.push_back({value(0), value(1), value(2), value(3), value(4)});
        }
    } else {
        const uint32_t count = b.U32(4);
        b.Range(8, static_cast<uint64_t>(count) * 12);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = 8 + static_cast<uint64_t>(i) * 12;
            metrics.push_back({b.I16(at), b.I16(at + 2), b.I16(at + 4), b.I16(at + 6), b.I16(at + 8)});
        }
    }
    return metrics;
}

// Brings bitmap data to one layout: leftmost pixel in the most significant bit,
// bytes in reading order.
std::vector<uint8_t> NormalisedBitmapData(std::span<const uint8_t> Data, uint32_t Format)
{
    std::vector<uint8_t> bytes(Data.begin(), Data.end());
    const bool bitMsb = (Format & BitOrderMsb) != 0;
    if (!bitMsb) {
        for (uint8_t& byte : bytes) {
            uint8_t reversed = 0;
            for (int bit = 0; bit < 8; ++bit) {
                reversed |= static_cast<uint8_t>(((byte >> bit) & 1) << (7 - bit));
            }
            byte = reversed;
        }
    }
    const size_t unit = static_cast<size_t>(1) << ((Format >> 4) & 3);
    if (bitMsb != ((Format & ByteOrderMsb) != 0) && unit > 1) {
        for (size_t at = 0; at + unit <= bytes.size(); at += unit) {
            std::reverse(bytes.begin() + at, bytes.begin() + at + unit);
        }
    }
    return bytes;
}

std::vector<TBitmapGlyph> ReadGlyphs(const TPcfTable& Table, const std::vector<TPcfMetrics>& Metrics)
{
    const TPcfBytes& b = Table.Bytes;
    const uint32_t count = b.U32(4);
    if (count != Metrics.size()) {
        throw TFontError("PCF bitmap count differs from the metrics count");
    }
    const uint64_t sizesAt = 8 + static_cast<uint64_t>(count) * 4;
    const uint32_t dataSize = b.U32(sizesAt + 4 * (Table.Format & 3));
    const std::vector<uint8_t> data = NormalisedBitmapData(b.Range(sizesAt + 16, dataSize), Table.Format);
    const uint64_t rowPad = static_cast<uint64_t>(1) << (Table.Format & 3);

    std::vector<TBitmapGlyph> glyphs;
    for (uint32_t i = 0; i < count; ++i) {
        const TPcfMetrics& m = Metrics[i];
        TBitmapGlyph glyph;
        glyph.Advance = m.Advance;
        glyph.Left = m.Left;
        glyph.Ascent = m.Ascent;
        glyph.Width = m.Right - m.Left;
        glyph.Height = m.Ascent + m.Descent;
        if (glyph.Width < 0 || glyph.Height < 0) {
            throw TFontError("PCF glyph with negative size");
        }
        const uint64_t stride = (static_cast<uint64_t>(glyph.Width) + 8 * rowPad - 1) / (8 * rowPad) * rowPad;
        const uint64_t offset = b.U32(8 + static_cast<uint64_t>(i) * 4);
        if (offset > data.size() || stride * static_cast<uint64_t>(glyph.Height) > data.size() - offset) {
            throw TFontError("PCF glyph bitmap outside the bitmap data");
        }
        glyph.Pixels.resize(static_cast<size_t>(glyph.Width) * static_cast<size_t>(glyph.Height));
        for (int y = 0; y < glyph.Height; ++y) {
            for (int x = 0; x < glyph.Width; ++x) {
                const uint8_t byte = data[static_cast<size_t>(offset + static_cast<uint64_t>(y) * stride +
                                                              static_cast<uint64_t>(x) / 8)];
                glyph.Pixels[static_cast<size_t>(y) * static_cast<size_t>(glyph.Width) + static_cast<size_t>(x)] =
                    (byte >> (7 - x % 8)) & 1;
            }
        }
        glyphs.push_back(std::move(glyph));
    }
    return glyphs;
}

}  // namespace

TBitmapFont ReadPcfFont(std::span<const uint8_t> Data)
{
    const TPcfFile file(Data);
    TBitmapFont font;
    if (file.Has(PropertiesTable)) {
        font.Properties = ReadProperties(file.Table(PropertiesTable));
    }

    // The line's ascent and descent; the BDF accelerators, when present, are the font's own.
    const TPcfTable accelerators =
        file.Table(file.Has(BdfAcceleratorsTable) ? BdfAcceleratorsTable : AcceleratorsTable);
    font.Ascent = accelerators.Bytes.I32(12);
    font.Descent = accelerators.Bytes.I32(16);
    if (font.Ascent < 0 || font.Descent < 0 || font.Ascent > 4096 || font.Descent > 4096) {
        throw TFontError("PCF font with an implausible line height");
    }

    const std::vector<TBitmapGlyph> glyphs =
        ReadGlyphs(file.Table(BitmapsTable), ReadMetrics(file.Table(MetricsTable)));

    const TPcfTable encodings = file.Table(EncodingsTable);
    const TPcfBytes& e = encodings.Bytes;
    const int firstCol = e.I16(4), lastCol = e.I16(6), firstRow = e.I16(8), lastRow = e.I16(10);
    const uint16_t defaultCode = e.U16(12);
    if (firstCol < 0 || lastCol > 255 || firstCol > lastCol || firstRow < 0 || lastRow > 255 || firstRow > lastRow) {
        throw TFontError("PCF encoding range out of bounds");
    }
    const int columns = lastCol - firstCol + 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = firstCol; col <= lastCol; ++col) {
            const uint16_t index = e.U16(14 + 2 * static_cast<uint64_t>((row - firstRow) * columns + (col - firstCol)));
            if (index == NoGlyph) {
                continue;
            }
            if (index >= glyphs.size()) {
                throw TFontError("PCF encoding names a glyph that does not exist");
            }
            font.Glyphs[static_cast<uint32_t>(row << 8 | col)] = glyphs[index];
        }
    }
    if (font.Glyphs.contains(defaultCode)) {
        font.DefaultChar = defaultCode;
    }
    return font;
}
