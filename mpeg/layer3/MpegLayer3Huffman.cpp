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

// The big-value pairs, into Out[0..RegionEnds[2]-1]: region r (0..2) ends at
// RegionEnds[r] (no region ends before the one before it) and decodes with table
// TableSelect[r]. Values holds the last code's values, which a walk off a tree
// keeps, across regions and on into count1.
inline void DecodeBigValues(THuffmanBitWindow& Bits, const int (&TableSelect)[3], const int (&RegionEnds)[3],
                            int16_t* Out, THuffmanValues& Values)
{
    int filled = 0;
    for (int region = 0; region < 3; ++region) {
        const THuffmanTable& table = HuffmanTable(TableSelect[region]);
        const int end = RegionEnds[region];
        if (table.Tree == nullptr && filled < end) {
            // A table without codes reads nothing and gives zeros.
            Values.X = Values.Y = 0;
            std::fill(Out + filled, Out + end, static_cast<int16_t>(0));
            filled = end;
        }
        // Most codes come with their signs resolved by the lookup: taken here, the
        // table's fields held in registers; the rest as the window decodes them.
        const THuffmanLookup* lookup = table.Lookup;
        for (; filled < end; filled += 2) {
            Bits.Refill(HuffmanLookupBits);
            const THuffmanLookup& entry = lookup[Bits.Next() >> (64 - HuffmanLookupBits)];
            const uint32_t resolved = entry.Position;
            if (entry.Length != 0 && resolved != 0) {
                Values.X = HuffmanResolvedValue(resolved, 4, 5);
                Values.Y = HuffmanResolvedValue(resolved, 9, 5);
                Bits.Take(static_cast<int>(resolved & HuffmanResolvedBitsMask));
            } else {
                Bits.Decode(table, Values);
            }
            Out[filled] = static_cast<int16_t>(Values.X);
            Out[filled + 1] = static_cast<int16_t>(Values.Y);
        }
    }
}

// The count1 quadruples of Table from Out[Filled] on, while the bits taken lie
// before End and the granule has values left (the last quadruple may overrun
// End, or be cut at the granule's end); answers the values filled. Last: the
// last big-value code's values, which a walk off the tree keeps.
inline int DecodeCount1(THuffmanBitWindow& Bits, const THuffmanTable& Table, int32_t End, int16_t* Out, int Filled,
                        const THuffmanValues& Last)
{
    const THuffmanLookup* lookup = Table.Lookup;
    TQuadruple quadruple = {static_cast<int16_t>(Last.V), static_cast<int16_t>(Last.W), static_cast<int16_t>(Last.X),
                            static_cast<int16_t>(Last.Y)};
    while (Bits.BitsRead() < End && Filled < GranuleLines) {
        Bits.Refill(HuffmanLookupBits);
        const THuffmanLookup& entry = lookup[Bits.Next() >> (64 - HuffmanLookupBits)];
        const uint32_t resolved = entry.Position;
        if (entry.Length != 0 && resolved != 0) {
            quadruple = ResolvedQuadruples[(resolved >> 4) & 255];
            Bits.Take(static_cast<int>(resolved & HuffmanResolvedBitsMask));
        } else {
            THuffmanValues values = {quadruple[2], quadruple[3], quadruple[0], quadruple[1]};
            Bits.Decode(Table, values);
            quadruple = {static_cast<int16_t>(values.V), static_cast<int16_t>(values.W), static_cast<int16_t>(values.X),
                         static_cast<int16_t>(values.Y)};
        }
        if (Filled <= GranuleLines - 4) {
            std::memcpy(Out + Filled, quadruple.data(), sizeof quadruple);
            Filled += 4;
        } else {
            // The granule ends within the quadruple.
            std::copy(quadruple.begin(), quadruple.begin() + (GranuleLines - Filled), Out + Filled);
            Filled = GranuleLines;
        }
    }
    return Filled;
}

}  // namespace

void TLayer3Decoder::DecodeHuffman(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    const int32_t part23End = Part2Start + g.Part2_3Length;
    const int bigEnd = 2 * g.BigValues;  // at most 576: big_values is limited to 288
    int region1Start = 36;
    int region2Start = GranuleLines;
    if (!g.Short()) {
        // Region counts may point past the last boundary; 576 ends the granule.
        const TBandTable& bands = BandTables[BandTableIndex];
        region1Start = bands.Long[std::min(g.Region0Count + 1, LongBands - 1)];
        region2Start = bands.Long[std::min(g.Region0Count + g.Region1Count + 2, LongBands - 1)];
    }
    const int regionEnds[3] = {std::min(bigEnd, region1Start), std::min(bigEnd, region2Start), bigEnd};

    THuffmanBitWindow bits(*Reservoir);
    THuffmanValues values;
    DecodeBigValues(bits, g.TableSelect, regionEnds, HuffmanValues, values);
    int filled = DecodeCount1(bits, HuffmanTable(32 + g.Count1TableSelect), part23End, HuffmanValues, bigEnd, values);
    bits.Settle();

    // A quadruple that overran the channel's bits is not part of it.
    TBitReserve& reservoir = *Reservoir;
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
