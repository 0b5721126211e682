#pragma once
// 32-band polyphase synthesis: turns blocks of 32 subband samples into 32 PCM samples.

#include <cstdint>

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
    // Sample of subband Subband for the next block; the last value given wins.
    void InputSample(float Sample, int Subband)
    {
        if (Subband >= 0 && Subband < Subbands) Samples[Subband] = Sample;
    }
    // Turns the block into 32 PCM samples appended to Buffer, then clears the block.
    void CalculatePcmSamples(TBuffer& Buffer);

    float V1[Subbands * Taps] = {};  // history half: 32 rows of 16 columns, index 16 * row + column
    float V2[Subbands * Taps] = {};  // the other half, alternating with V1
    float* ActualV = V1;             // the half that receives the first half of the next block
    int WritePos = 15;               // column of the next block, 0..15
    float Samples[Subbands] = {};    // subband samples of the next block
    int Channel = 0;                 // buffer channel of the PCM
    float ScaleFactor = 32768.0f;    // scale asked for at creation
    const float* Window = nullptr;   // the process's scaled, transposed window
};

// Converts a window sum to a PCM value: truncated toward zero, limited to a range
// the buffer can clip (non-numbers give 0).
int32_t PcmFromSum(double Sum);
