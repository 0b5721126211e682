#pragma once
// Fast 32-point DCT-II for the synthesis matrixing.

// Out[n] = sum over k of In[k] * cos((2k + 1) * n * pi / 64), n = 0..31, by the
// recursive even/odd split, every intermediate rounded to a 32-bit float.
void Dct32(const float* In, float* Out);
