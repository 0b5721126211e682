#pragma once
// 32-band polyphase synthesis: turns blocks of 32 subband samples into 32 PCM samples.

#include <cstdint>

#include "mpeg/synthesis/MpegDct32.h"
#include "mpeg/synthesis/MpegWindowSums.h"

class TBuffer;

class TSynthesisFilter {
public:
    static constexpr int Subbands = 32;
    static constexpr int Taps = 16;

    // Channel: the buffer channel the PCM goes to (0 or 1). ScaleFactor: PCM value
    // of a full-scale subband signal; the first filter of the process fixes it.
    TSynthesisFilter(int Channel, float ScaleFactor);

    // Forgets the history (after a seek).
    void Reset();
    // Block by block: InputSample, CalculatePcmSamples and Samples are kept as the
    // filter's interface names them (tests and benchmarks use them); the decoders
    // hand whole runs of blocks to SynthesizeBlocks instead.
    // Sample of subband Subband for the next block; the last value given wins.
    void InputSample(float Sample, int Subband)
    {
        if (Subband >= 0 && Subband < Subbands) {
            Samples[Subband] = Sample;
        }
    }
    // Turns the block into 32 PCM samples appended to Buffer, then clears the block.
    void CalculatePcmSamples(TBuffer& Buffer);
    // Turns Count whole blocks into 32 PCM samples each, appended to Buffer block by
    // block, as InputSample and CalculatePcmSamples would one at a time. Blocks holds
    // them subband by subband: subband k of block b at Blocks[k * Stride + b]
    // (Stride >= Count).
    void SynthesizeBlocks(const float* Blocks, int Stride, int Count, TBuffer& Buffer);

    // The history is kept column by column (index 32 * column + row) so that the
    // rows of neighbouring output samples are adjacent and sum side by side; its
    // values are 32-bit floats held as doubles, ready for the double sums.
    alignas(64) double V1[Subbands * Taps] = {};  // history half: 16 columns of 32 rows
    alignas(64) double V2[Subbands * Taps] = {};  // the other half, alternating with V1
    double* ActualV = V1;                         // the half that receives the first half of the next block
    int WritePos = 15;                            // column of the next block, 0..15
    float Samples[Subbands] = {};                 // subband samples of the next block (InputSample's)
    int Channel = 0;                              // buffer channel of the PCM
    float ScaleFactor = 32768.0f;                 // scale asked for at creation
    const double* Window = nullptr;               // the process's scaled window, tap by tap
    TWindowSums Sums = nullptr;                   // the window sums of the process's code path
    TDct32Eight Eight = nullptr;                  // the transform of eight blocks at once, on avx2
};
