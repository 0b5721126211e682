#pragma once
// Builds MPEG-1 Layer III frames at 44.1 kHz and 128 kbit/s (417 bytes, no CRC)
// from chosen side information and main data, for cases an encoder never makes.

#include <cstdint>
#include <vector>

#include "mpeg/MpegHuffmanCodes.h"
#include "support/BitWriter.h"

struct TGranuleFields {
    int Part2_3Length = 0;         // bits of scale factors and Huffman data
    int BigValues = 0;             // 9-bit field as written
    int GlobalGain = 190;          // quantiser step
    int ScalefacCompress = 0;      // slen1/slen2 index
    int WindowSwitching = 0;       // block type and mixed flag follow
    int BlockType = 0;             // with window switching
    int MixedBlock = 0;            // with window switching
    int TableSelect[3] = {1, 1, 1};  // Huffman tables (two with window switching)
    int Region0Count = 15;         // without window switching
    int Region1Count = 7;          // without window switching
    int Count1Table = 0;           // 0: table 32, 1: table 33
};

struct TLayer3FrameFields {
    bool Stereo = false;           // joint stereo instead of single channel
    int ModeExtension = 0;         // joint stereo: bit 1 mid/side, bit 0 intensity
    int MainDataBegin = 0;         // bytes of main data in earlier frames
    TGranuleFields Granules[2][2];   // by granule, channel
    TBitWriter MainData;           // this frame's main data (padded with zeros)
};

inline constexpr int FrameBytes = 417;

// Writes the code of (X, Y) of a table's code list, then the sign bits.
inline void PutHuffmanPair(TBitWriter& Writer, int Table, int X, int Y)
{
    for (const THuffmanCodeList& List : HuffmanCodeLists)
        if (List.TableNumber == Table) {
            const int Symbol = (X < 0 ? -X : X) * List.YLen + (Y < 0 ? -Y : Y);
            Writer.Put(List.Codes[Symbol], List.Lengths[Symbol]);
        }
    for (int Value : {X, Y})
        if (Value != 0)
            Writer.Put(Value < 0, 1);
}

// Writes a count1 quadruple of table 32 + Table1 with its sign bits.
inline void PutQuadruple(TBitWriter& Writer, int Table1, int V, int W, int X, int Y)
{
    const int Symbol = (V != 0) << 3 | (W != 0) << 2 | (X != 0) << 1 | (Y != 0);
    const THuffmanCodeList& List = HuffmanCodeLists[HuffmanCodeListCount - 2 + Table1];
    Writer.Put(List.Codes[Symbol], List.Lengths[Symbol]);
    for (int Value : {V, W, X, Y})
        if (Value != 0)
            Writer.Put(Value < 0, 1);
}

inline std::vector<uint8_t> BuildFrame(const TLayer3FrameFields& Fields)
{
    const int Channels = Fields.Stereo ? 2 : 1;
    TBitWriter Frame;
    Frame.Put(0xFFFB, 16);                 // sync, MPEG-1, Layer III, no CRC
    Frame.Put(0x90, 8);                    // 128 kbit/s, 44.1 kHz, no padding
    Frame.Put(Fields.Stereo ? 1 : 3, 2);     // joint stereo or single channel
    Frame.Put(Fields.ModeExtension, 2);
    Frame.Put(0, 4);
    const size_t SideInfoEnd = 4 + (Fields.Stereo ? 32 : 17);
    Frame.Put(Fields.MainDataBegin, 9);
    Frame.Put(0, Fields.Stereo ? 3 : 5);
    Frame.Put(0, 4 * Channels);            // scfsi
    for (int Granule = 0; Granule < 2; ++Granule)
        for (int Channel = 0; Channel < Channels; ++Channel) {
            const TGranuleFields& G = Fields.Granules[Granule][Channel];
            Frame.Put(G.Part2_3Length, 12);
            Frame.Put(G.BigValues, 9);
            Frame.Put(G.GlobalGain, 8);
            Frame.Put(G.ScalefacCompress, 4);
            Frame.Put(G.WindowSwitching, 1);
            if (G.WindowSwitching) {
                Frame.Put(G.BlockType, 2);
                Frame.Put(G.MixedBlock, 1);
                if (G.BlockType == 0) {   // the decoder stops reading here
                    Frame.PadTo(SideInfoEnd);
                    Granule = 2;
                    break;
                }
                Frame.Put(G.TableSelect[0], 5);
                Frame.Put(G.TableSelect[1], 5);
                Frame.Put(0, 9);          // subblock gains
            } else {
                for (int Table : G.TableSelect)
                    Frame.Put(Table, 5);
                Frame.Put(G.Region0Count, 4);
                Frame.Put(G.Region1Count, 3);
            }
            Frame.Put(0, 1);              // preflag
            Frame.Put(0, 1);              // scalefac_scale
            Frame.Put(G.Count1Table, 1);
        }
    std::vector<uint8_t> Bytes = Frame.Bytes;
    Bytes.insert(Bytes.end(), Fields.MainData.Bytes.begin(), Fields.MainData.Bytes.end());
    Bytes.resize(FrameBytes, 0);
    return Bytes;
}
