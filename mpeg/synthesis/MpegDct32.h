#pragma once
// Fast 32-point DCT-II for the synthesis matrixing, four blocks side by side.

// Out[4n + b] = sum over k of In[k * Stride + b] * cos((2k + 1) * n * pi / 64), n = 0..31,
// for the four blocks b = 0..3 (In holds element k of block b at k * Stride + b,
// Stride >= 4; Out is 16-byte aligned). Each block goes through the recursive
// even/odd split on its own, every intermediate rounded to a 32-bit float.
void Dct32Four(const float* In, int Stride, float* Out);
