// The Huffman stage of one granule and channel: big-value pairs in up to three
// regions, then count1 quadruples up to the end of the channel's part 2 and 3.

#include <algorithm>

#include "mpeg/MpegHuffman.h"
#include "mpeg/MpegLayer3.h"

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
    const THuffmanTable* Tables[3] = {&HuffmanTable(G.TableSelect[0]), &HuffmanTable(G.TableSelect[1]),
                                      &HuffmanTable(G.TableSelect[2])};
    int X = 0, Y = 0, V = 0, W = 0;
    int Filled = 0;
    const int BigEnd = 2 * G.BigValues;  // at most 576: big_values is limited to 288
    for (; Filled < BigEnd; Filled += 2) {
        const int Region = Filled < Region1Start ? 0 : Filled < Region2Start ? 1 : 2;
        HuffmanDecode(*Tables[Region], X, Y, V, W, *Reservoir);
        HuffmanValues[Filled] = X;
        HuffmanValues[Filled + 1] = Y;
    }
    const THuffmanTable& Count1Table = HuffmanTable(32 + G.Count1TableSelect);
    while (Reservoir->BitsRead() < Part2_3End && Filled < GranuleLines) {
        HuffmanDecode(Count1Table, X, Y, V, W, *Reservoir);
        for (int Value : {V, W, X, Y})
            if (Filled < GranuleLines)
                HuffmanValues[Filled++] = Value;
    }
    // A quadruple that overran the channel's bits is not part of it.
    if (Reservoir->BitsRead() > Part2_3End) {
        Reservoir->RewindBits(Reservoir->BitsRead() - Part2_3End);
        Filled = std::max(Filled - 4, 0);
    }
    for (int32_t Missing = Part2_3End - Reservoir->BitsRead(); Missing > 0; Missing -= 32)
        Reservoir->ReadBits(std::min<int32_t>(Missing, 32));
    std::fill(HuffmanValues + Filled, HuffmanValues + GranuleLines, 0);
    HuffmanFilled = Filled;
}
