#pragma once
// Layer III frame decoder: side information, the bit reservoir, scale factors,
// Huffman decoding, dequantisation, stereo processing, reordering and the hybrid
// filter bank, feeding the polyphase synthesis filters.

#include <cstdint>
#include <memory>

#include "mpeg/frame/MpegLayerLinks.h"
#include "mpeg/layer3/MpegBitReserve.h"
#include "mpeg/layer3/MpegLayer3Tables.h"

class TLayer3Decoder {
public:
    // A single-channel stream decodes as channel 0 alone, a two-channel one with
    // Links.Channels 2 as both.
    explicit TLayer3Decoder(const TLayerLinks& Links);
    ~TLayer3Decoder();
    TLayer3Decoder(const TLayer3Decoder&) = delete;
    TLayer3Decoder& operator=(const TLayer3Decoder&) = delete;

    // Forgets the reservoir, overlap memory and filter history (after a seek).
    void Reset();
    // Decodes the frame whose header THeader::ReadHeader has just read, appending
    // its PCM to Output. Corrupt data decodes to something; it raises no error.
    void DecodeFrame();

private:
    // Side information of one granule and channel.
    struct TGranuleInfo {
        int Part2_3Length = 0;      // bits of scale factors and Huffman data
        int BigValues = 0;          // pairs in the big-value region (at most 288)
        int GlobalGain = 0;         // quantiser step
        int ScalefacCompress = 0;   // scale-factor lengths (4 bits MPEG-1, 9 bits MPEG-2)
        int WindowSwitching = 0;    // block type and mixed flag are coded
        int BlockType = 0;          // 0 normal, 1 start, 2 short, 3 stop
        int MixedBlock = 0;         // subbands 0 and 1 take the normal window whatever the block type
        int TableSelect[3] = {};    // Huffman table per big-value region
        int SubblockGain[3] = {};   // gain offset per short window
        int Region0Count = 0;       // long bands in region 0, less one
        int Region1Count = 0;       // long bands in region 1, less one
        int Preflag = 0;            // pre-emphasis on
        int ScalefacScale = 0;      // scale factors step by 2^-1 instead of 2^-0.5
        int Count1TableSelect = 0;  // table 32 or 33 for the count1 region
        // Values, scale factors and stereo bands by short window: block type 2 only.
        bool Short() const { return WindowSwitching && BlockType == 2; }
        // A short block whose subbands 0 and 1 are long in every respect. Block types 1
        // and 3 with the mixed flag are long blocks except for the window below.
        bool Mixed() const { return Short() && MixedBlock; }
        // The block type whose window transforms subband Subband.
        int WindowType(int Subband) const { return WindowSwitching && MixedBlock && Subband < 2 ? 0 : BlockType; }
    };
    struct TSideInfo {
        int MainDataBegin = 0;        // bytes of this frame's main data in earlier frames
        int PrivateBits = 0;          // not used
        int Scfsi[2][4] = {};         // MPEG-1: granule 1 reuses granule 0's band groups
        TGranuleInfo Granules[2][2];  // by granule, channel
    };
    struct TScaleFactors {
        int Long[LongBands] = {};       // by long band
        int Short[3][ShortBands] = {};  // by window, short band
    };

    void ReadSideInfo();
    bool TakeMainData();
    void ReadScaleFactors(int Channel, int Granule);
    void ReadScaleFactorsLsf(int Channel, int Granule);
    void DecodeHuffman(int Channel, int Granule);
    void Dequantize(int Channel, int Granule);
    void ProcessStereo(int Granule);
    void FindIntensityPositions(int Granule);
    void Reorder(int Channel, int Granule);
    void Antialias(int Channel, int Granule);
    void Hybrid(int Channel, int Granule);
    // The hybrid filter bank of subbands First..First+3, of one block type.
    void HybridFour(int Channel, int First, int BlockType);
    // The same of one subband of any block type.
    void HybridOne(int Channel, int Subband, int BlockType);
    void HandOff(int Channel);

    TLayerLinks Links;       // stream, header, filters, PCM buffer and channel selection
    int StreamChannels = 1;  // channels coded in the current frame
    int GranuleCount = 1;    // 2 for MPEG-1, 1 for MPEG-2
    int BandTableIndex = 0;  // sampling-frequency index, + 3 for MPEG-1
    int MixedLongBands = 8;  // long bands of a mixed block's long part, lines 0 to 35
    int FirstChannel = 0;    // first channel synthesised
    int LastChannel = 0;     // last channel synthesised

    std::unique_ptr<TBitReserve> Reservoir;  // main data of this and earlier frames
    TSideInfo SideInfo;                      // the current frame's side information
    TScaleFactors ScaleFactors[2];           // by channel; granule 1 may keep granule 0's
    int32_t FrameStart = 0;                  // reservoir byte count at the start of this frame's main data
    int32_t Part2Start = 0;                  // BitsRead at the start of a channel's scale factors

    // Quantised values of one granule and channel (at most 15 + 8191 in magnitude).
    // Not int: stores to them then cannot alias the reservoir's bit position.
    int16_t HuffmanValues[GranuleLines] = {};
    int HuffmanFilled = 0;  // values the Huffman stage decoded; the rest are 0
    // The granule's frequency lines by channel: dequantised, then stereo processed,
    // reordered and antialiased in place.
    float Spectrum[2][GranuleLines] = {};
    int8_t IntensityPosition[GranuleLines] = {};  // per line (0..31), NoIntensity where not coded so
    float IntensityRatio[GranuleLines] = {};      // MPEG-1 ratio per line
    float IntensityK[2][GranuleLines] = {};       // MPEG-2 factors of the left and right channel per line
    // One channel's subband samples, subband-major; before the hybrid filter bank
    // fills it, a short block's lines while they are reordered.
    float HybridOut[GranuleLines] = {};
    // Second IMDCT halves carried to the next granule, by channel: for each group of
    // four subbands its 18 slots, the four subbands side by side in each.
    float Overlap[2][GranuleLines] = {};
    static constexpr int OverlapLanes = 4;
};
