// The Huffman stage of one granule and channel: big-value pairs in up to three
// regions, then count1 quadruples up to the end of the channel's part 2 and 3.

#include <algorithm>
#include <array>
#include <cstring>

#include "mpeg/layer3/MpegHuffman.h"
#include "mpeg/layer3/MpegLayer3.h"

namespace {

using TQuadruple = std::array<int16_t, 4>;  // v, w, x, y

// The values of a count1 code resolved by the lookup, by bits 4-11 of its word.
constexpr std::array<TQuadruple, 256> ResolvedQuadruples = [] {
    std::array<TQuadruple, 256> quadruples{};
    for (uint32_t fields = 0; fields < 256; ++fields) {
        for (int i = 0; i < 4; ++i) {
            quadruples[fields][static_cast<size_t>(i)] =
                static_cast<int16_t>(HuffmanResolvedValue(fields << 4, 4 + 2 * i, 2));
        }
    }
    return quadruples;
}();

}  // namespace

void TLayer3Decoder::DecodeHuffman(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    const int32_t part23End = Part2Start + g.Part2_3Length;
    const TBandTable& bands = BandTables[BandTableIndex];
    int region1Start = 36;
    int region2Start = GranuleLines;
    if (!g.Short()) {
        // Region counts may point past the last boundary; 576 ends the granule.
        region1Start = bands.Long[std::min(g.Region0Count + 1, LongBands - 1)];
        region2Start = bands.Long[std::min(g.Region0Count + g.Region1Count + 2, LongBands - 1)];
    }
    // A walk off a tree keeps the previous values, across regions and into count1.
    THuffmanValues values;
    // The reservoir's next bits are held here between refills: window << pending.
    static_assert(HuffmanShortCodeBits <= TBitReserve::WindowBits);
    TBitReserve& reservoir = *Reservoir;
    uint64_t window = reservoir.PeekWindow();
    int pending = 0;  // bits taken from window and not yet skipped in the reservoir
    // At least Bits of window << pending valid: the lookup's bits for a code its
    // entry resolves, HuffmanShortCodeBits for any other.
    auto refill = [&](int Bits) {
        if (pending > TBitReserve::WindowBits - Bits) {
            reservoir.SkipBits(pending);
            window = reservoir.PeekWindow();
            pending = 0;
        }
    };
    // Any code.
    auto decode = [&](const THuffmanTable& Table) {
        refill(HuffmanShortCodeBits);
        const int used = HuffmanDecodeShort(Table, window << pending, values);
        if (used != 0) {
            pending += used;
            return;
        }
        reservoir.SkipBits(pending);
        values = HuffmanDecodeLong(Table, values, reservoir);
        window = reservoir.PeekWindow();
        pending = 0;
    };

    int filled = 0;
    const int bigEnd = 2 * g.BigValues;  // at most 576: big_values is limited to 288
    const int regionEnds[3] = {region1Start, region2Start, bigEnd};
    for (int region = 0; region < 3; ++region) {
        const THuffmanTable& table = HuffmanTable(g.TableSelect[region]);
        const int end = std::min(bigEnd, regionEnds[region]);
        if (table.Tree == nullptr && filled < end) {
            // A table without codes reads nothing and gives zeros.
            values.X = values.Y = 0;
            std::fill(HuffmanValues + filled, HuffmanValues + end, static_cast<int16_t>(0));
            filled = end;
        }
        // Most codes come with their signs resolved by the lookup: taken here, the
        // table's fields held in registers; the rest as decode takes them.
        const THuffmanLookup* lookup = table.Lookup;
        const int lookupShift = 64 - HuffmanLookupBits;
        for (; filled < end; filled += 2) {
            refill(HuffmanLookupBits);
            const THuffmanLookup& entry = lookup[(window << pending) >> lookupShift];
            const uint32_t resolved = entry.Position;
            if (entry.Length != 0 && resolved != 0) {
                values.X = HuffmanResolvedValue(resolved, 4, 5);
                values.Y = HuffmanResolvedValue(resolved, 9, 5);
                pending += static_cast<int>(resolved & HuffmanResolvedBitsMask);
            } else {
                decode(table);
            }
            HuffmanValues[filled] = static_cast<int16_t>(values.X);
            HuffmanValues[filled + 1] = static_cast<int16_t>(values.Y);
        }
    }
    const THuffmanTable& count1Table = HuffmanTable(32 + g.Count1TableSelect);
    const THuffmanLookup* count1Lookup = count1Table.Lookup;
    const int count1Shift = 64 - HuffmanLookupBits;
    // The last values, v, w, x, y: what a walk off the tree keeps.
    TQuadruple quadruple = {static_cast<int16_t>(values.V), static_cast<int16_t>(values.W),
                            static_cast<int16_t>(values.X), static_cast<int16_t>(values.Y)};
    while (reservoir.BitsRead() + pending < part23End && filled < GranuleLines) {
        refill(HuffmanLookupBits);
        const THuffmanLookup& entry = count1Lookup[(window << pending) >> count1Shift];
        const uint32_t resolved = entry.Position;
        if (entry.Length != 0 && resolved != 0) {
            quadruple = ResolvedQuadruples[(resolved >> 4) & 255];
            pending += static_cast<int>(resolved & HuffmanResolvedBitsMask);
        } else {
            values = {quadruple[2], quadruple[3], quadruple[0], quadruple[1]};
            decode(count1Table);
            quadruple = {static_cast<int16_t>(values.V), static_cast<int16_t>(values.W), static_cast<int16_t>(values.X),
                         static_cast<int16_t>(values.Y)};
        }
        if (filled <= GranuleLines - 4) {
            std::memcpy(HuffmanValues + filled, quadruple.data(), sizeof quadruple);
            filled += 4;
        } else {
            // The granule ends within the quadruple.
            std::copy(quadruple.begin(), quadruple.begin() + (GranuleLines - filled), HuffmanValues + filled);
            filled = GranuleLines;
        }
    }
    reservoir.SkipBits(pending);
    // A quadruple that overran the channel's bits is not part of it.
    if (reservoir.BitsRead() > part23End) {
        reservoir.RewindBits(reservoir.BitsRead() - part23End);
        filled = std::max(filled - 4, 0);
    }
    for (int32_t missing = part23End - reservoir.BitsRead(); missing > 0; missing -= 32) {
        reservoir.ReadBits(std::min<int32_t>(missing, 32));
    }
    std::fill(HuffmanValues + filled, HuffmanValues + GranuleLines, static_cast<int16_t>(0));
    HuffmanFilled = filled;
}
