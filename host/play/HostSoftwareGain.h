#pragma once
// Volume and balance as the outputs apply them, on the PCM itself.

#include <cstdint>

// Volume (0..255) and balance (-128 left only .. 128 right only) applied to
// interleaved 16-bit frames in place; with more than two channels the balance
// moves the first two.
void ApplySoftwareGain(int16_t* Samples, long Frames, int Channels, int Volume, int Pan);
