#pragma once
// Layer I subbands: one coded channel, two independently coded channels, and
// intensity stereo (one coded signal with a scale factor per channel).

#include "mpeg/layer12/MpegSubband.h"

class TSubbandLayer1 : public TSubband {
public:
    explicit TSubbandLayer1(int Number) { TSubbandLayer1::Reset(Number); }

    void Reset(int Number) override;
    void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) override;
    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    static constexpr int SamplesPerFrame = 12;

    int SampleNumber = 0;      // samples read in this frame, 0..11
    int SampleLength = 0;      // bits per sample code
    int Allocation = 0;        // 0 = silent, else samples of Allocation + 1 bits
    int SubbandNumber = 0;     // position in the frame, 0..31
    float ScaleFactor = 0.0f;  // scale factor of channel 1
    float Sample = 0.0f;       // last sample code read
    float Factor = 0.0f;       // requantisation factor of the allocation
    float Offset = 0.0f;       // requantisation offset of the allocation

protected:
    // Reads the sample code and advances the sample counter; true at the frame's end.
    bool ReadChannel1Sample(TBitStream& Stream);
    // The requantised and scaled sample of channel 1.
    float Channel1Value() const;
};

class TSubbandLayer1IntensityStereo : public TSubbandLayer1 {
public:
    using TSubbandLayer1::TSubbandLayer1;

    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    float Channel2ScaleFactor = 0.0f;  // scale factor of channel 2
};

class TSubbandLayer1Stereo : public TSubbandLayer1 {
public:
    using TSubbandLayer1::TSubbandLayer1;

    void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) override;
    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    int Channel2Allocation = 0;        // allocation of channel 2
    int Channel2SampleLength = 0;      // bits per sample code of channel 2
    float Channel2Sample = 0.0f;       // last sample code of channel 2
    float Channel2Factor = 0.0f;       // requantisation factor of channel 2
    float Channel2Offset = 0.0f;       // requantisation offset of channel 2
    float Channel2ScaleFactor = 0.0f;  // scale factor of channel 2
};
