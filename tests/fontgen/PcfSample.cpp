#include "tests/fontgen/PcfSample.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace {

// Bytes of one table, numbers in the layout's byte order.
class TTable {
public:
    TTable(uint32_t Format, bool Msb) : Msb(Msb) { Put(Format, 4, false); }

    void U8(uint32_t V) { Bytes.push_back(static_cast<uint8_t>(V)); }
    void U16(uint32_t V) { Put(V, 2, Msb); }
    void U32(uint32_t V) { Put(V, 4, Msb); }
    void Append(const std::vector<uint8_t>& More) { Bytes.insert(Bytes.end(), More.begin(), More.end()); }
    std::vector<uint8_t> Bytes;

private:
    void Put(uint32_t V, int Count, bool BigEndian)
    {
        for (int i = 0; i < Count; ++i) {
            Bytes.push_back(static_cast<uint8_t>(V >> (8 * (BigEndian ? Count - 1 - i : i))));
        }
    }
    bool Msb;
};

uint32_t FormatOf(const TPcfLayout& L, uint32_t Kind)
{
    const uint32_t padBits = static_cast<uint32_t>(std::countr_zero(static_cast<unsigned>(L.RowPad)));
    const uint32_t unitBits = static_cast<uint32_t>(std::countr_zero(static_cast<unsigned>(L.ScanUnit)));
    return Kind | (L.ByteMsb ? 4u : 0u) | (L.BitMsb ? 8u : 0u) | padBits | unitBits << 4;
}

std::vector<uint8_t> GlyphBitmap(const TPcfSampleGlyph& G, const TPcfLayout& L, int Pad)
{
    const size_t width = G.Rows.empty() ? 0 : G.Rows[0].size();
    const size_t stride =
        (width + 8 * static_cast<size_t>(Pad) - 1) / (8 * static_cast<size_t>(Pad)) * static_cast<size_t>(Pad);
    std::vector<uint8_t> bytes(stride * G.Rows.size());
    for (size_t y = 0; y < G.Rows.size(); ++y) {
        for (size_t x = 0; x < width; ++x) {
            if (G.Rows[y][x] == '#') {
                bytes[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    if (!L.BitMsb) {
        for (uint8_t& b : bytes) {
            uint8_t reversed = 0;
            for (int bit = 0; bit < 8; ++bit) {
                reversed |= static_cast<uint8_t>(((b >> bit) & 1) << (7 - bit));
            }
            b = reversed;
        }
    }
    if (L.BitMsb != L.ByteMsb) {
        for (size_t at = 0; at + static_cast<size_t>(L.ScanUnit) <= bytes.size();
             at += static_cast<size_t>(L.ScanUnit)) {
            std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at) + L.ScanUnit);
        }
    }
    return bytes;
}

}  // namespace

std::vector<uint8_t> WritePcf(const TPcfSample& S, const TPcfLayout& L)
{
    std::vector<std::pair<uint32_t, TTable>> tables;

    TTable properties(FormatOf(L, 0), L.ByteMsb);
    std::vector<uint8_t> strings;
    const auto addString = [&](const std::string& Text) {
        const size_t at = strings.size();
        strings.insert(strings.end(), Text.begin(), Text.end());
        strings.push_back(0);
        return static_cast<uint32_t>(at);
    };
    properties.U32(static_cast<uint32_t>(S.StringProperties.size() + S.NumberProperties.size()));
    for (const auto& [name, value] : S.StringProperties) {
        properties.U32(addString(name));
        properties.U8(1);
        properties.U32(addString(value));
    }
    for (const auto& [name, value] : S.NumberProperties) {
        properties.U32(addString(name));
        properties.U8(0);
        properties.U32(static_cast<uint32_t>(value));
    }
    while ((properties.Bytes.size() - 8) % 4) {
        properties.U8(0);
    }
    properties.U32(static_cast<uint32_t>(strings.size()));
    properties.Append(strings);
    tables.emplace_back(1u << 0, properties);

    TTable accelerators(FormatOf(L, 0), L.ByteMsb);
    for (int i = 0; i < 8; ++i) {
        accelerators.U8(0);
    }
    accelerators.U32(static_cast<uint32_t>(S.Ascent));
    accelerators.U32(static_cast<uint32_t>(S.Descent));
    accelerators.U32(0);                // max overlap
    for (int i = 0; i < 2 * 12; ++i) {  // min and max bounds
        accelerators.U8(0);
    }
    tables.emplace_back(1u << 1, accelerators);

    TTable metrics(FormatOf(L, L.CompressedMetrics ? 0x100 : 0), L.ByteMsb);
    if (L.CompressedMetrics) {
        metrics.U16(static_cast<uint32_t>(S.Glyphs.size()));
    } else {
        metrics.U32(static_cast<uint32_t>(S.Glyphs.size()));
    }
    for (const TPcfSampleGlyph& g : S.Glyphs) {
        const int width = g.Rows.empty() ? 0 : static_cast<int>(g.Rows[0].size());
        const int fields[] = {g.Left, g.Left + width, g.Advance, g.Ascent, static_cast<int>(g.Rows.size()) - g.Ascent};
        for (const int f : fields) {
            if (L.CompressedMetrics) {
                metrics.U8(static_cast<uint32_t>(f + 0x80));
            } else {
                metrics.U16(static_cast<uint32_t>(f));
            }
        }
        if (!L.CompressedMetrics) {
            metrics.U16(0);  // attributes
        }
    }
    tables.emplace_back(1u << 2, metrics);

    TTable bitmaps(FormatOf(L, 0), L.ByteMsb);
    bitmaps.U32(static_cast<uint32_t>(S.Glyphs.size()));
    std::vector<uint8_t> data;
    for (const TPcfSampleGlyph& g : S.Glyphs) {
        bitmaps.U32(static_cast<uint32_t>(data.size()));
        const auto bytes = GlyphBitmap(g, L, L.RowPad);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    for (const int pad : {1, 2, 4, 8}) {
        size_t size = 0;
        for (const TPcfSampleGlyph& g : S.Glyphs) {
            size += GlyphBitmap(g, L, pad).size();
        }
        bitmaps.U32(static_cast<uint32_t>(size));
    }
    bitmaps.Append(data);
    tables.emplace_back(1u << 3, bitmaps);

    TTable encodings(FormatOf(L, 0), L.ByteMsb);
    uint32_t firstCol = 255, lastCol = 0, firstRow = 255, lastRow = 0;
    for (const TPcfSampleGlyph& g : S.Glyphs) {
        firstCol = std::min(firstCol, g.Code & 0xFF);
        lastCol = std::max(lastCol, g.Code & 0xFF);
        firstRow = std::min(firstRow, g.Code >> 8);
        lastRow = std::max(lastRow, g.Code >> 8);
    }
    for (const uint32_t v : {firstCol, lastCol, firstRow, lastRow, static_cast<uint32_t>(S.DefaultCode)}) {
        encodings.U16(v);
    }
    for (uint32_t row = firstRow; row <= lastRow; ++row) {
        for (uint32_t col = firstCol; col <= lastCol; ++col) {
            const auto found =
                std::ranges::find_if(S.Glyphs, [&](const auto& G) { return G.Code == (row << 8 | col); });
            encodings.U16(found == S.Glyphs.end() ? 0xFFFF : static_cast<uint32_t>(found - S.Glyphs.begin()));
        }
    }
    tables.emplace_back(1u << 5, encodings);

    // The file: magic, table of contents, the tables on 4-byte boundaries
    // (the last one unpadded: every byte of the file is then needed).
    TTable file(0x70636601u, false);
    const auto putLe = [&](uint32_t V) {
        for (int i = 0; i < 4; ++i) {
            file.Bytes.push_back(static_cast<uint8_t>(V >> (8 * i)));
        }
    };
    putLe(static_cast<uint32_t>(tables.size()));
    size_t offset = 8 + 16 * tables.size();
    for (const auto& [type, table] : tables) {
        const uint32_t format =
            static_cast<uint32_t>(table.Bytes[0] | table.Bytes[1] << 8 | table.Bytes[2] << 16 | table.Bytes[3] << 24);
        putLe(type);
        putLe(format);
        putLe(static_cast<uint32_t>(table.Bytes.size()));
        putLe(static_cast<uint32_t>(offset));
        offset += (table.Bytes.size() + 3) / 4 * 4;
    }
    for (const auto& [type, table] : tables) {
        while (file.Bytes.size() % 4) {
            file.U8(0);
        }
        file.Append(table.Bytes);
    }
    return file.Bytes;
}
