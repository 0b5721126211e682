#include "mpeg/synthesis/MpegSynthesisFilter.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "mpeg/synthesis/MpegBuffer.h"
#include "mpeg/synthesis/MpegDct32.h"
#include "mpeg/synthesis/MpegSynthesisWindow.h"

namespace {

constexpr int Lanes = 4;          // blocks transformed side by side
constexpr int WideLanes = 8;      // the same on avx2 (Dct32EightOf)
constexpr int MatrixValues = 64;  // the standard's V[0..63] of a block

// The standard's matrixing of four blocks from their DCT-II x (x[n] of block b in
// lane b of X[n]): V[i] is x[16 + i] for i = 0..15, 0 for i = 16, -x[48 - i] for
// i = 17..48 and -x[i - 48] for i = 49..63. V[i] of block b goes to V[64b + i].
// Changing the sign is exact.
void Matrix(const __m128* X, float* V)
{
    const __m128 negative = _mm_set1_ps(-0.0f);
    auto value = [&](int I) {
        if (I < 16) {
            return X[16 + I];
        }
        if (I == 16) {
            return _mm_setzero_ps();
        }
        return _mm_xor_ps(X[I <= 48 ? 48 - I : I - 48], negative);
    };
    // Four values of the four blocks at a time, turned into four values of each block.
#pragma GCC unroll 16
    for (int i = 0; i < MatrixValues; i += 4) {
        __m128 rows[4] = {value(i), value(i + 1), value(i + 2), value(i + 3)};
        _MM_TRANSPOSE4_PS(rows[0], rows[1], rows[2], rows[3]);
        for (int b = 0; b < Lanes; ++b) {
            _mm_store_ps(V + MatrixValues * b + i, rows[b]);
        }
    }
}

}  // namespace

TSynthesisFilter::TSynthesisFilter(int Channel, float ScaleFactor) : Channel(Channel), ScaleFactor(ScaleFactor)
{
    Reset();
}

void TSynthesisFilter::Reset()
{
    ActualV = V1;
    WritePos = 15;
    Window = ScaledSynthesisWindowByTap(ScaleFactor);
    Sums = WindowSumsOf(CodePath());
    Eight = Dct32EightOf(CodePath());
    std::memset(V1, 0, sizeof V1);
    std::memset(V2, 0, sizeof V2);
    std::memset(Samples, 0, sizeof Samples);
}

void TSynthesisFilter::CalculatePcmSamples(TBuffer& Buffer)
{
    SynthesizeBlocks(Samples, 1, 1, Buffer);
    std::memset(Samples, 0, sizeof Samples);
}

void TSynthesisFilter::SynthesizeBlocks(const float* Blocks, int Stride, int Count, TBuffer& Buffer)
{
    alignas(16) float x[Subbands * WideLanes];      // DCT-II of four blocks: x[n] of block b at 4n + b, then four more
    alignas(16) float v[MatrixValues * WideLanes];  // their matrixing: V[i] of block b at 64b + i
    for (int first = 0; first < Count;) {
        const int left = Count - first;
        int blocks = Lanes;
        int skipped = 0;  // leading lanes of x that belong to blocks already done
        if (Eight && left >= WideLanes) {
            Eight(Blocks + first, Stride, x);
            blocks = WideLanes;
        } else if (left >= Lanes) {
            Dct32Four(Blocks + first, Stride, x);
        } else if (first > 0) {
            // The last few with the blocks before them, transformed again (each
            // lane its own) rather than gathered.
            Dct32Four(Blocks + Count - Lanes, Stride, x);
            skipped = Lanes - left;
            blocks = left;
        } else {
            // The last few: gathered, so that no read passes the end of Blocks.
            alignas(16) float gathered[Subbands * Lanes] = {};
            for (int k = 0; k < Subbands; ++k) {
                for (int b = 0; b < left; ++b) {
                    gathered[Lanes * k + b] = Blocks[k * Stride + first + b];
                }
            }
            Dct32Four(gathered, Lanes, x);
            blocks = left;
        }
        for (int run = 0; run < skipped + blocks; run += Lanes) {
            Matrix(reinterpret_cast<const __m128*>(x + Subbands * run), v + MatrixValues * run);
        }
        for (int b = skipped; b < skipped + blocks; ++b) {
            // ActualV takes V[0..31] of the block and the other half V[32..63].
            double* other = ActualV == V1 ? V2 : V1;
            int16_t pcm[Subbands];
            Sums(v + MatrixValues * b, ActualV, other, WritePos, Window, pcm);
            Buffer.Append(Channel, pcm, Subbands);
            WritePos = (WritePos + 1) % Taps;
            ActualV = other;
        }
        first += blocks;
    }
}
