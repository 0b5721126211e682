#include "tests/fontgen/PcfSample.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace {

// Bytes of one table, numbers in the layout's byte order.
class TTable {
public:
    TTable(uint32_t Format, bool Msb) : Msb(Msb) { Put(Format, 4, false); }

    void U8(uint32_t V) { Bytes.push_back(uint8_t(V)); }
    void U16(uint32_t V) { Put(V, 2, Msb); }
    void U32(uint32_t V) { Put(V, 4, Msb); }
    void Append(const std::vector<uint8_t>& More) { Bytes.insert(Bytes.end(), More.begin(), More.end()); }
    std::vector<uint8_t> Bytes;

private:
    void Put(uint32_t V, int Count, bool BigEndian)
    {
        for (int I = 0; I < Count; ++I)
            Bytes.push_back(uint8_t(V >> (8 * (BigEndian ? Count - 1 - I : I))));
    }
    bool Msb;
};

uint32_t FormatOf(const TPcfLayout& L, uint32_t Kind)
{
    const uint32_t PadBits = uint32_t(std::countr_zero(unsigned(L.RowPad)));
    const uint32_t UnitBits = uint32_t(std::countr_zero(unsigned(L.ScanUnit)));
    return Kind | (L.ByteMsb ? 4u : 0u) | (L.BitMsb ? 8u : 0u) | PadBits | UnitBits << 4;
}

std::vector<uint8_t> GlyphBitmap(const TPcfSampleGlyph& G, const TPcfLayout& L, int Pad)
{
    const size_t Width = G.Rows.empty() ? 0 : G.Rows[0].size();
    const size_t Stride = (Width + 8 * size_t(Pad) - 1) / (8 * size_t(Pad)) * size_t(Pad);
    std::vector<uint8_t> Bytes(Stride * G.Rows.size());
    for (size_t Y = 0; Y < G.Rows.size(); ++Y)
        for (size_t X = 0; X < Width; ++X)
            if (G.Rows[Y][X] == '#')
                Bytes[Y * Stride + X / 8] |= uint8_t(0x80 >> (X % 8));
    if (!L.BitMsb) {
        for (uint8_t& B : Bytes) {
            uint8_t Reversed = 0;
            for (int Bit = 0; Bit < 8; ++Bit)
                Reversed |= uint8_t(((B >> Bit) & 1) << (7 - Bit));
            B = Reversed;
        }
    }
    if (L.BitMsb != L.ByteMsb)
        for (size_t At = 0; At + size_t(L.ScanUnit) <= Bytes.size(); At += size_t(L.ScanUnit))
            std::reverse(Bytes.begin() + std::ptrdiff_t(At), Bytes.begin() + std::ptrdiff_t(At) + L.ScanUnit);
    return Bytes;
}

}  // namespace

std::vector<uint8_t> WritePcf(const TPcfSample& S, const TPcfLayout& L)
{
    std::vector<std::pair<uint32_t, TTable>> Tables;

    TTable Properties(FormatOf(L, 0), L.ByteMsb);
    std::vector<uint8_t> Strings;
    const auto AddString = [&](const std::string& Text) {
        const size_t At = Strings.size();
        Strings.insert(Strings.end(), Text.begin(), Text.end());
        Strings.push_back(0);
        return uint32_t(At);
    };
    Properties.U32(uint32_t(S.StringProperties.size() + S.NumberProperties.size()));
    for (const auto& [Name, Value] : S.StringProperties) {
        Properties.U32(AddString(Name));
        Properties.U8(1);
        Properties.U32(AddString(Value));
    }
    for (const auto& [Name, Value] : S.NumberProperties) {
        Properties.U32(AddString(Name));
        Properties.U8(0);
        Properties.U32(uint32_t(Value));
    }
    while ((Properties.Bytes.size() - 8) % 4)
        Properties.U8(0);
    Properties.U32(uint32_t(Strings.size()));
    Properties.Append(Strings);
    Tables.emplace_back(1u << 0, Properties);

    TTable Accelerators(FormatOf(L, 0), L.ByteMsb);
    for (int I = 0; I < 8; ++I)
        Accelerators.U8(0);
    Accelerators.U32(uint32_t(S.Ascent));
    Accelerators.U32(uint32_t(S.Descent));
    Accelerators.U32(0);              // max overlap
    for (int I = 0; I < 2 * 12; ++I)  // min and max bounds
        Accelerators.U8(0);
    Tables.emplace_back(1u << 1, Accelerators);

    TTable Metrics(FormatOf(L, L.CompressedMetrics ? 0x100 : 0), L.ByteMsb);
    if (L.CompressedMetrics)
        Metrics.U16(uint32_t(S.Glyphs.size()));
    else
        Metrics.U32(uint32_t(S.Glyphs.size()));
    for (const TPcfSampleGlyph& G : S.Glyphs) {
        const int Width = G.Rows.empty() ? 0 : int(G.Rows[0].size());
        const int Fields[] = {G.Left, G.Left + Width, G.Advance, G.Ascent, int(G.Rows.size()) - G.Ascent};
        for (const int F : Fields) {
            if (L.CompressedMetrics)
                Metrics.U8(uint32_t(F + 0x80));
            else
                Metrics.U16(uint32_t(F));
        }
        if (!L.CompressedMetrics)
            Metrics.U16(0);  // attributes
    }
    Tables.emplace_back(1u << 2, Metrics);

    TTable Bitmaps(FormatOf(L, 0), L.ByteMsb);
    Bitmaps.U32(uint32_t(S.Glyphs.size()));
    std::vector<uint8_t> Data;
    for (const TPcfSampleGlyph& G : S.Glyphs) {
        Bitmaps.U32(uint32_t(Data.size()));
        const auto Bytes = GlyphBitmap(G, L, L.RowPad);
        Data.insert(Data.end(), Bytes.begin(), Bytes.end());
    }
    for (const int Pad : {1, 2, 4, 8}) {
        size_t Size = 0;
        for (const TPcfSampleGlyph& G : S.Glyphs)
            Size += GlyphBitmap(G, L, Pad).size();
        Bitmaps.U32(uint32_t(Size));
    }
    Bitmaps.Append(Data);
    Tables.emplace_back(1u << 3, Bitmaps);

    TTable Encodings(FormatOf(L, 0), L.ByteMsb);
    uint32_t FirstCol = 255, LastCol = 0, FirstRow = 255, LastRow = 0;
    for (const TPcfSampleGlyph& G : S.Glyphs) {
        FirstCol = std::min(FirstCol, G.Code & 0xFF);
        LastCol = std::max(LastCol, G.Code & 0xFF);
        FirstRow = std::min(FirstRow, G.Code >> 8);
        LastRow = std::max(LastRow, G.Code >> 8);
    }
    for (const uint32_t V : {FirstCol, LastCol, FirstRow, LastRow, uint32_t(S.DefaultCode)})
        Encodings.U16(V);
    for (uint32_t Row = FirstRow; Row <= LastRow; ++Row) {
        for (uint32_t Col = FirstCol; Col <= LastCol; ++Col) {
            const auto Found =
                std::ranges::find_if(S.Glyphs, [&](const auto& G) { return G.Code == (Row << 8 | Col); });
            Encodings.U16(Found == S.Glyphs.end() ? 0xFFFF : uint32_t(Found - S.Glyphs.begin()));
        }
    }
    Tables.emplace_back(1u << 5, Encodings);

    // The file: magic, table of contents, the tables on 4-byte boundaries
    // (the last one unpadded: every byte of the file is then needed).
    TTable File(0x70636601u, false);
    const auto PutLe = [&](uint32_t V) {
        for (int I = 0; I < 4; ++I)
            File.Bytes.push_back(uint8_t(V >> (8 * I)));
    };
    PutLe(uint32_t(Tables.size()));
    size_t Offset = 8 + 16 * Tables.size();
    for (const auto& [Type, Table] : Tables) {
        const uint32_t Format =
            uint32_t(Table.Bytes[0] | Table.Bytes[1] << 8 | Table.Bytes[2] << 16 | Table.Bytes[3] << 24);
        PutLe(Type);
        PutLe(Format);
        PutLe(uint32_t(Table.Bytes.size()));
        PutLe(uint32_t(Offset));
        Offset += (Table.Bytes.size() + 3) / 4 * 4;
    }
    for (const auto& [Type, Table] : Tables) {
        while (File.Bytes.size() % 4)
            File.U8(0);
        File.Append(Table.Bytes);
    }
    return File.Bytes;
}
