#pragma once
// Builds Layer III frames (MPEG-1 at 44.1 kHz, 128 kbit/s by default, or MPEG-2 at
// 22.05 kHz; no CRC) from chosen side information and main data, for cases an
// encoder never makes.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "mpeg/layer3/MpegHuffmanCodes.h"
#include "tests/support/BitWriter.h"

struct TGranuleFields {
    int Part2_3Length = 0;           // bits of scale factors and Huffman data
    int BigValues = 0;               // 9-bit field as written
    int GlobalGain = 190;            // quantiser step
    int ScalefacCompress = 0;        // slen1/slen2 index (MPEG-2: the 9-bit field)
    int WindowSwitching = 0;         // block type and mixed flag follow
    int BlockType = 0;               // with window switching
    int MixedBlock = 0;              // with window switching
    int TableSelect[3] = {1, 1, 1};  // Huffman tables (two with window switching)
    int Region0Count = 15;           // without window switching
    int Region1Count = 7;            // without window switching
    int Count1Table = 0;             // 0: table 32, 1: table 33
    int SubblockGain[3] = {};        // with window switching
    int Preflag = 0;                 // MPEG-1 only
    int ScalefacScale = 0;           // scale factors step by 2^-1 instead of 2^-0.5
};

struct TLayer3FrameFields {
    bool Stereo = false;            // joint stereo instead of single channel
    int ModeExtension = 0;          // joint stereo: bit 1 mid/side, bit 0 intensity
    int MainDataBegin = 0;          // bytes of main data in earlier frames
    TGranuleFields Granules[2][2];  // by granule, channel (MPEG-2: granule 0 only)
    TBitWriter MainData;            // this frame's main data (padded with zeros)
    bool Mpeg1 = true;              // MPEG-1 at 44.1 kHz, else MPEG-2 at 22.05 kHz
    int BitrateIndex = 9;           // 128 kbit/s for MPEG-1, 80 kbit/s for MPEG-2
};

inline constexpr int FrameBytes = 417;  // of the default MPEG-1 frame

// Whole frame length in bytes, header included (no padding slot).
inline int Layer3FrameBytes(const TLayer3FrameFields& Fields)
{
    static constexpr int mpeg1Rates[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int mpeg2Rates[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int index = Fields.BitrateIndex;
    return Fields.Mpeg1 ? 144000 * mpeg1Rates[index] / 44100 : 72000 * mpeg2Rates[index] / 22050;
}

inline int SideInfoBytes(const TLayer3FrameFields& Fields)
{
    return Fields.Mpeg1 ? (Fields.Stereo ? 32 : 17) : (Fields.Stereo ? 17 : 9);
}

// Room for main data in the frame.
inline int MainDataBytes(const TLayer3FrameFields& Fields)
{
    return Layer3FrameBytes(Fields) - 4 - SideInfoBytes(Fields);
}

// Writes the code of (X, Y) in big-value table Table (0..31): values from 15 on in
// the tables with linbits take the code of 15 and their excess in linbits bits, each
// value followed by its sign when nonzero. Tables 0, 4 and 14 write nothing.
inline void PutHuffmanPair(TBitWriter& Writer, int Table, int X, int Y)
{
    // Linbits of tables 16 to 31 (the others have none).
    static constexpr int linBits[16] = {1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
    const int tree = Table >= 24 ? 24 : Table >= 16 ? 16 : Table;
    const int linbits = Table >= 16 ? linBits[(Table - 16) & 15] : 0;
    const int magnitude[2] = {X < 0 ? -X : X, Y < 0 ? -Y : Y};
    for (const THuffmanCodeList& list : HuffmanCodeLists) {
        if (list.TableNumber != tree) {
            continue;
        }
        const int largest = list.XLen - 1 + (linbits ? (1 << linbits) - 1 : 0);
        if (magnitude[0] > largest || magnitude[1] > largest) {
            throw std::invalid_argument("value beyond the Huffman table's range");
        }
        const int symbol = std::min(magnitude[0], list.XLen - 1) * list.YLen + std::min(magnitude[1], list.YLen - 1);
        Writer.Put(list.Codes[symbol], list.Lengths[symbol]);
        for (int value : {X, Y}) {
            const int size = value < 0 ? -value : value;
            if (linbits && size >= list.XLen - 1) {
                Writer.Put(static_cast<uint32_t>(size - (list.XLen - 1)), linbits);
            }
            if (value != 0) {
                Writer.Put(value < 0, 1);
            }
        }
        return;
    }
    if (X != 0 || Y != 0) {
        throw std::invalid_argument("nonzero values in a table without codes");
    }
}

// Writes a count1 quadruple of table 32 + Table1 with its sign bits.
inline void PutQuadruple(TBitWriter& Writer, int Table1, int V, int W, int X, int Y)
{
    const int symbol = (V != 0) << 3 | (W != 0) << 2 | (X != 0) << 1 | (Y != 0);
    const THuffmanCodeList& list = HuffmanCodeLists[HuffmanCodeListCount - 2 + Table1];
    Writer.Put(list.Codes[symbol], list.Lengths[symbol]);
    for (int value : {V, W, X, Y}) {
        if (value != 0) {
            Writer.Put(value < 0, 1);
        }
    }
}

inline std::vector<uint8_t> BuildFrame(const TLayer3FrameFields& Fields)
{
    const bool mpeg1 = Fields.Mpeg1;
    const int channels = Fields.Stereo ? 2 : 1;
    TBitWriter frame;
    // Sync, version, Layer III, no CRC; bit rate, 44.1 or 22.05 kHz, no padding; joint
    // stereo or single channel.
    frame.Put(mpeg1 ? 0xFFFB : 0xFFF3, 16);
    frame.Put(static_cast<uint32_t>(Fields.BitrateIndex) << 4, 8);
    frame.Put(Fields.Stereo ? 1 : 3, 2);
    frame.Put(Fields.ModeExtension, 2);
    frame.Put(0, 4);
    const size_t sideInfoEnd = 4 + SideInfoBytes(Fields);
    frame.Put(Fields.MainDataBegin, mpeg1 ? 9 : 8);
    frame.Put(0, mpeg1 ? (Fields.Stereo ? 3 : 5) : (Fields.Stereo ? 2 : 1));
    if (mpeg1) {
        frame.Put(0, 4 * channels);  // scfsi
    }
    const int granules = mpeg1 ? 2 : 1;
    for (int granule = 0; granule < granules; ++granule) {
        for (int channel = 0; channel < channels; ++channel) {
            const TGranuleFields& g = Fields.Granules[granule][channel];
            frame.Put(g.Part2_3Length, 12);
            frame.Put(g.BigValues, 9);
            frame.Put(g.GlobalGain, 8);
            frame.Put(g.ScalefacCompress, mpeg1 ? 4 : 9);
            frame.Put(g.WindowSwitching, 1);
            if (g.WindowSwitching) {
                frame.Put(g.BlockType, 2);
                frame.Put(g.MixedBlock, 1);
                if (g.BlockType == 0) {  // the decoder stops reading here
                    frame.PadTo(sideInfoEnd);
                    granule = 2;
                    break;
                }
                frame.Put(g.TableSelect[0], 5);
                frame.Put(g.TableSelect[1], 5);
                for (int gain : g.SubblockGain) {
                    frame.Put(gain, 3);
                }
            } else {
                for (int table : g.TableSelect) {
                    frame.Put(table, 5);
                }
                frame.Put(g.Region0Count, 4);
                frame.Put(g.Region1Count, 3);
            }
            if (mpeg1) {
                frame.Put(g.Preflag, 1);
            }
            frame.Put(g.ScalefacScale, 1);
            frame.Put(g.Count1Table, 1);
        }
    }
    std::vector<uint8_t> bytes = frame.Bytes;
    bytes.insert(bytes.end(), Fields.MainData.Bytes.begin(), Fields.MainData.Bytes.end());
    bytes.resize(Layer3FrameBytes(Fields), 0);  // main data beyond the frame is cut off
    return bytes;
}
