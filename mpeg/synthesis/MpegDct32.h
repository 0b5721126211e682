#pragma once
// Fast 32-point DCT-II for the synthesis matrixing, four or eight blocks side by side.

#include "platform/PlatformCodePath.h"

// Out[4n + b] = sum over k of In[k * Stride + b] * cos((2k + 1) * n * pi / 64), n = 0..31,
// for the four blocks b = 0..3 (In holds element k of block b at k * Stride + b,
// Stride >= 4; Out is 16-byte aligned). Each block goes through the recursive
// even/odd split on its own, every intermediate rounded to a 32-bit float.
void Dct32Four(const float* In, int Stride, float* Out);

// The same for eight blocks b = 0..7 (Stride >= 8), with the same results: blocks
// 0..3 as Dct32Four puts them into Out[0..127], blocks 4..7 into Out[128..255].
using TDct32Eight = void (*)(const float* In, int Stride, float* Out);
// The eight-block transform in AVX code on avx2; null below it, where the
// blocks go four at a time.
TDct32Eight Dct32EightOf(TCodePath Path);
