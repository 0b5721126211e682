#pragma once
// Layer II subbands: one coded channel, two independently coded channels, and
// intensity stereo (one coded signal with scale factors per channel).

#include "mpeg/layer12/MpegSubband.h"

struct TQuantClass;

class TSubbandLayer2 : public TSubband {
public:
    explicit TSubbandLayer2(int Number) { TSubbandLayer2::Reset(Number); }

    void Reset(int Number) override;
    void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) override;
    void ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc) override;
    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    static constexpr int GranulesPerFrame = 12;
    static constexpr int SamplesPerGranule = 3;

    // Width of the allocation field of subband Number in frames like Header.
    static int AllocationBits(const THeader& Header, int Number);
    // Quantisation class set (1..5) of subband Number in frames like Header.
    static int ClassSet(const THeader& Header, int Number);
    // Scale-factor third (0..2) of the granule that was read last.
    int Third() const { return SampleNumber <= 4 ? 0 : SampleNumber <= 8 ? 1 : 2; }

    int Allocation = 0;     // 0 = silent, else the row of the class set
    int SampleNumber = 0;   // granules read in this frame, 0..12
    int Scfsi = 0;          // scale-factor selection information, 0..3
    int SubbandNumber = 0;  // position in the frame, 0..31
    // The quantisation class of the allocation (code length, grouping table,
    // fraction factor, requantisation factor C and offset D); empty until one is read.
    const TQuantClass* Class = nullptr;
    float ScaleFactors[3] = {};  // scale factor of each third of the frame

protected:
    // Reads one channel's scale factors as Selection says.
    static void ReadScaleFactors(TBitStream& Stream, int Selection, float (&Factors)[3]);
    // The three samples of a granule in lanes 0..2 (lane 3 is not used).
    typedef float TGranule __attribute__((vector_size(16)));
    // Reads one channel's codes of a granule and requantises them (grouped codes:
    // the table's values; others: (code * FractionFactor - 1 + ClassD) * ClassC).
    static TGranule ReadCodes(TBitStream& Stream, const TQuantClass& Class);
    // Puts Values * Factor where the granule's three samples go in a run (Samples[0..2]).
    static void Scale(TGranule Values, float Factor, float* Samples);
    // Puts zeros there in the same way.
    static void Silence(float* Samples);
    // Counts the granule; true at the frame's last one.
    bool CountGranule();
};

class TSubbandLayer2IntensityStereo : public TSubbandLayer2 {
public:
    explicit TSubbandLayer2IntensityStereo(int Number) : TSubbandLayer2(Number) { Channel2Reset(); }

    void Reset(int Number) override;
    void ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc) override;
    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    int Channel2Scfsi = 0;               // scale-factor selection of channel 2
    float Channel2ScaleFactors[3] = {};  // scale factors of channel 2 by third

private:
    void Channel2Reset();
};

class TSubbandLayer2Stereo : public TSubbandLayer2 {
public:
    explicit TSubbandLayer2Stereo(int Number) : TSubbandLayer2(Number) { Channel2Reset(); }

    void Reset(int Number) override;
    void ReadAllocation(TBitStream& Stream, const THeader& Header, TCrc16* Crc) override;
    void ReadScaleFactorSelection(TBitStream& Stream, TCrc16* Crc) override;
    void ReadScaleFactor(TBitStream& Stream, const THeader& Header) override;
    bool ReadGranule(TBitStream& Stream, uint8_t Channels, TSubbandRun& Run, int Block) override;

    int Channel2Allocation = 0;                  // allocation of channel 2
    int Channel2Scfsi = 0;                       // scale-factor selection of channel 2
    const TQuantClass* Channel2Class = nullptr;  // quantisation class of channel 2
    float Channel2ScaleFactors[3] = {};          // scale factors of channel 2 by third

private:
    void Channel2Reset();
};
