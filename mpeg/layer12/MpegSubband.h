#pragma once
// One subband of a Layer I or II frame: reads its fields in bit-stream order and
// puts its samples into the blocks that go to the synthesis filters.

#include <cstdint>

class TBitStream;
class THeader;
class TCrc16;

// Channel selection handed to ReadGranule.
inline constexpr uint8_t ChannelsLeft = 0;   // the only (or left) channel
inline constexpr uint8_t ChannelsRight = 1;  // the right channel alone, into the left filter
inline constexpr uint8_t ChannelsBoth = 2;   // both channels into their own filters

// The subband samples of a run of blocks for the two synthesis filters, laid out
// as TSynthesisFilter::SynthesizeBlocks takes them: subband k of block b at
// k * Stride + b. A sample no channel gives a filter is 0.
struct TSubbandRun {
    static constexpr int Subbands = 32;
    static constexpr int Blocks = 12;  // a Layer I frame, four Layer II granules
    static constexpr int Stride = Blocks;

    // Where the sample of subband Subband in block Block goes.
    static int Index(int Subband, int Block) { return Subband * Stride + Block; }

    float Left[Subbands * Stride] = {};   // for the left (or only) filter
    float Right[Subbands * Stride] = {};  // for the right filter
};

class TSubband {
public:
    virtual ~TSubband() = default;

    // Starts a new frame for subband Number.
    virtual void Reset(int Number) = 0;
    // Crc, when given, takes the allocation (and Layer II's selection) fields in
    // the order read; the decoder's interface has it, the front end gives none.
    virtual void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) = 0;
    // Layer II only: the scale-factor selection information.
    virtual void ReadScaleFactorSelection(TBitStream& /*Stream*/, TCrc16* /*Crc*/) { }
    virtual void ReadScaleFactor(TBitStream& Stream, const THeader& Header) = 0;
    // Reads the next granule's codes (one sample in Layer I, three in Layer II)
    // and puts the samples that Channels selects for each filter into Run, from
    // block Block on. True when it was the frame's last granule.
    virtual bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) = 0;
};
