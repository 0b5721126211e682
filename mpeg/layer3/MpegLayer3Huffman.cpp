// The Huffman stage of one granule and channel: big-value pairs in up to three
// regions, then count1 quadruples up to the end of the channel's part 2 and 3.

#include <algorithm>

#include "mpeg/layer3/MpegHuffman.h"
#include "mpeg/layer3/MpegLayer3.h"

void TLayer3Decoder::DecodeHuffman(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    const int32_t Part2_3End = Part2Start + G.Part2_3Length;
    const TBandTable& Bands = BandTables[BandTableIndex];
    int Region1Start = 36;
    int Region2Start = GranuleLines;
    if (!G.Short()) {
        // Region counts may point past the last boundary; 576 ends the granule.
        Region1Start = Bands.Long[std::min(G.Region0Count + 1, LongBands - 1)];
        Region2Start = Bands.Long[std::min(G.Region0Count + G.Region1Count + 2, LongBands - 1)];
    }
    // A walk off a tree keeps the previous values, across regions and into count1.
    int X = 0, Y = 0, V = 0, W = 0;
    // The reservoir's next bits are held here between refills: Window << Pending.
    static_assert(HuffmanShortCodeBits <= TBitReserve::WindowBits);
    uint64_t Window = Reservoir->PeekWindow();
    int Pending = 0;  // bits taken from Window and not yet skipped in the reservoir
    auto Decode = [&](const THuffmanTable& Table) {
        if (Pending > TBitReserve::WindowBits - HuffmanShortCodeBits) {
            Reservoir->SkipBits(Pending);
            Window = Reservoir->PeekWindow();
            Pending = 0;
        }
        const int Used = HuffmanDecodeShort(Table, Window << Pending, X, Y, V, W);
        if (Used != 0) {
            Pending += Used;
            return;
        }
        Reservoir->SkipBits(Pending);
        HuffmanDecodeLong(Table, X, Y, V, W, *Reservoir);
        Window = Reservoir->PeekWindow();
        Pending = 0;
    };

    int Filled = 0;
    const int BigEnd = 2 * G.BigValues;  // at most 576: big_values is limited to 288
    const int RegionEnds[3] = {Region1Start, Region2Start, BigEnd};
    for (int Region = 0; Region < 3; ++Region) {
        const THuffmanTable& Table = HuffmanTable(G.TableSelect[Region]);
        const int End = std::min(BigEnd, RegionEnds[Region]);
        if (Table.Tree == nullptr && Filled < End) {
            // A table without codes reads nothing and gives zeros.
            X = Y = 0;
            std::fill(HuffmanValues + Filled, HuffmanValues + End, int16_t(0));
            Filled = End;
        }
        for (; Filled < End; Filled += 2) {
            Decode(Table);
            HuffmanValues[Filled] = static_cast<int16_t>(X);
            HuffmanValues[Filled + 1] = static_cast<int16_t>(Y);
        }
    }
    const THuffmanTable& Count1Table = HuffmanTable(32 + G.Count1TableSelect);
    while (Reservoir->BitsRead() + Pending < Part2_3End && Filled < GranuleLines) {
        Decode(Count1Table);
        for (int Value : {V, W, X, Y})
            if (Filled < GranuleLines)
                HuffmanValues[Filled++] = static_cast<int16_t>(Value);
    }
    Reservoir->SkipBits(Pending);
    // A quadruple that overran the channel's bits is not part of it.
    if (Reservoir->BitsRead() > Part2_3End) {
        Reservoir->RewindBits(Reservoir->BitsRead() - Part2_3End);
        Filled = std::max(Filled - 4, 0);
    }
    for (int32_t Missing = Part2_3End - Reservoir->BitsRead(); Missing > 0; Missing -= 32)
        Reservoir->ReadBits(std::min<int32_t>(Missing, 32));
    std::fill(HuffmanValues + Filled, HuffmanValues + GranuleLines, int16_t(0));
    HuffmanFilled = Filled;
}
