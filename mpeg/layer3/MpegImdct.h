#pragma once
// The inverse MDCT of the Layer III hybrid filter bank, with its windows.

inline constexpr int ImdctInputs = 18;   // values of one subband
inline constexpr int ImdctOutputs = 36;  // windowed results of one subband

// The 36-value windows of block types 0, 1 and 3 (single precision, computed once).
// Block type 2 uses the 12-value short window.
const float* ImdctWindow(int BlockType);
const float* ImdctShortWindow();

// x_i = sum_k X_k cos(pi / 2n * (2i + 1 + n/2) * (2k + 1)) of ISO/IEC 11172-3, windowed.
// Block type 2: three 12-point transforms of the interleaved values w, w+3, ... w+15,
// windowed and added at results 6 + 6w .. 17 + 6w (the rest is 0). Other types:
// the 36-point transform of the 18 values times the type's window. Computed through
// a DCT-IV and its split into two 9-point transforms instead of the double sum.
void InverseMdct(const float In[ImdctInputs], float Out[ImdctOutputs], int BlockType);

// The same for four subbands of one block type side by side, each through the same
// float operations as InverseMdct: subband b's values at In[b * Stride + k], its
// result i at Out[4 * i + b].
void InverseMdctFour(const float* In, int Stride, float Out[4 * ImdctOutputs], int BlockType);
