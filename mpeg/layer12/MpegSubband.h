#pragma once
// One subband of a Layer I or II frame: reads its fields in bit-stream order and
// feeds its samples to the synthesis filters.

#include <cstdint>

class TBitStream;
class THeader;
class TCrc16;
class TSynthesisFilter;

// Channel selection handed to PutNextSample.
inline constexpr uint8_t ChannelsLeft = 0;   // the only (or left) channel
inline constexpr uint8_t ChannelsRight = 1;  // the right channel alone, into the left filter
inline constexpr uint8_t ChannelsBoth = 2;   // both channels into their own filters

class TSubband {
public:
    virtual ~TSubband() = default;

    // Starts a new frame for subband Number.
    virtual void Reset(int Number) = 0;
    virtual void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) = 0;
    // Layer II only: the scale-factor selection information.
    virtual void ReadScaleFactorSelection(TBitStream& /*Stream*/, TCrc16* /*Crc*/) { }
    virtual void ReadScaleFactor(TBitStream& Stream, const THeader& Header) = 0;
    // True when the frame's last sample (Layer I) or granule (Layer II) has been read.
    virtual bool ReadSampleData(TBitStream& Stream) = 0;
    // True when the samples of the last ReadSampleData are all delivered.
    virtual bool PutNextSample(uint8_t Channels, TSynthesisFilter* Left, TSynthesisFilter* Right) = 0;
};
