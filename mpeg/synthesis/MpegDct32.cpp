// Every lane below performs the same single-precision operations, in the same
// order, as the scalar recursion would; no product may be fused into a sum.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "mpeg/synthesis/MpegDct32.h"

#include <emmintrin.h>

#include <cmath>
#include <numbers>

namespace {

// 1 / (2 cos((2n + 1) pi / (2N))) for each size N of the split, n = 0..N/2-1.
struct TDctConstants {
    float Half32[16];  // the 32-point split: 1 / (2 cos(m pi / 64)), odd m
    float Half16[8];   // the 16-point splits: 1 / (2 cos(m pi / 32)), odd m
    float Half8[4];    // the 8-point splits: 1 / (2 cos(m pi / 16)), odd m
    float Half4[2];    // the 4-point splits: 1 / (2 cos(m pi / 8)), m = 1, 3
    float Half2[1];    // the 2-point splits: 1 / (2 cos(pi / 4))

    TDctConstants()
    {
        Fill(Half32, 32);
        Fill(Half16, 16);
        Fill(Half8, 8);
        Fill(Half4, 4);
        Fill(Half2, 2);
    }

    template <int Count> static void Fill(float (&Table)[Count], int N)
    {
        for (int i = 0; i < Count; ++i)
            Table[i] = static_cast<float>(1.0 / (2.0 * std::cos((2 * i + 1) * std::numbers::pi / (2.0 * N))));
    }
};

const TDctConstants DctConstants;  // computed at start-up, before any decoding

// The factors in the lanes where the vector code needs them: the 32- and 16-point
// splits for elements j..j+3, the others repeated in all four lanes.
struct TDctLaneConstants {
    __m128 Half32[2];        // 32-point factors of elements j = 0..3 and 4..7
    __m128 Half32Mirror[2];  // 32-point factors of elements 15 - j
    __m128 Half16[2];        // 16-point factors of elements j
    __m128 Half8[4];         // DctConstants.Half8, one per vector
    __m128 Half4[2];         // DctConstants.Half4, one per vector
    __m128 Half2[1];         // DctConstants.Half2

    TDctLaneConstants()
    {
        const TDctConstants& c = DctConstants;
        for (int h = 0; h < 2; ++h) {
            Half32[h] = _mm_loadu_ps(c.Half32 + 4 * h);
            Half32Mirror[h] =
                _mm_setr_ps(c.Half32[15 - 4 * h], c.Half32[14 - 4 * h], c.Half32[13 - 4 * h], c.Half32[12 - 4 * h]);
            Half16[h] = _mm_loadu_ps(c.Half16 + 4 * h);
        }
        for (int i = 0; i < 4; ++i)
            Half8[i] = _mm_set1_ps(c.Half8[i]);
        for (int i = 0; i < 2; ++i)
            Half4[i] = _mm_set1_ps(c.Half4[i]);
        Half2[0] = _mm_set1_ps(c.Half2[0]);
    }

    template <int N> const __m128* For() const
    {
        if constexpr (N == 8)
            return Half8;
        else if constexpr (N == 4)
            return Half4;
        else
            return Half2;
    }
};

const TDctLaneConstants DctLaneConstants;  // made from DctConstants, defined above it

// The N-point transform by the even/odd split, on four independent transforms at
// once: lane l of every element belongs to transform l.
template <int N> inline void DctLanes(const __m128* In, __m128* Out)
{
    if constexpr (N == 1) {
        Out[0] = In[0];
    } else {
        constexpr int half = N / 2;
        const __m128* factors = DctLaneConstants.For<N>();
        __m128 sums[half], differences[half], even[half], odd[half];
        for (int i = 0; i < half; ++i) {
            sums[i] = _mm_add_ps(In[i], In[N - 1 - i]);
            differences[i] = _mm_mul_ps(_mm_sub_ps(In[i], In[N - 1 - i]), factors[i]);
        }
        DctLanes<half>(sums, even);
        DctLanes<half>(differences, odd);
        for (int k = 0; k < half; ++k) {
            Out[2 * k] = even[k];
            Out[2 * k + 1] = k + 1 < half ? _mm_add_ps(odd[k], odd[k + 1]) : odd[k];
        }
    }
}

inline __m128 Reversed(__m128 V)
{
    return _mm_shuffle_ps(V, V, _MM_SHUFFLE(0, 1, 2, 3));
}

}  // namespace

void Dct32(const float* In, float* Out)
{
    // The 32-point split pairs element j with 31 - j, and the 16-point splits of
    // its halves pair j with 15 - j; so j, 15 - j, 16 + j and 31 - j (j = 0..7)
    // together give element j of the four 8-point inputs. Lanes are j here.
    __m128 inputs8[4][2];  // element j of 8-point input q: inputs8[q][j / 4], lane j % 4
    for (int h = 0; h < 2; ++h) {
        const __m128 first = _mm_loadu_ps(In + 4 * h);                  // j
        const __m128 last = Reversed(_mm_loadu_ps(In + 28 - 4 * h));    // 31 - j
        const __m128 middle = Reversed(_mm_loadu_ps(In + 12 - 4 * h));  // 15 - j
        const __m128 next = _mm_loadu_ps(In + 16 + 4 * h);              // 16 + j
        const __m128 sums = _mm_add_ps(first, last);
        const __m128 differences = _mm_mul_ps(_mm_sub_ps(first, last), DctLaneConstants.Half32[h]);
        const __m128 mirrorSums = _mm_add_ps(middle, next);
        const __m128 mirrorDifferences = _mm_mul_ps(_mm_sub_ps(middle, next), DctLaneConstants.Half32Mirror[h]);
        inputs8[0][h] = _mm_add_ps(sums, mirrorSums);
        inputs8[1][h] = _mm_mul_ps(_mm_sub_ps(sums, mirrorSums), DctLaneConstants.Half16[h]);
        inputs8[2][h] = _mm_add_ps(differences, mirrorDifferences);
        inputs8[3][h] = _mm_mul_ps(_mm_sub_ps(differences, mirrorDifferences), DctLaneConstants.Half16[h]);
    }

    // The four 8-point transforms side by side: lane q is input q.
    __m128 lanes[8];
    for (int h = 0; h < 2; ++h) {
        __m128* rows = lanes + 4 * h;
        for (int q = 0; q < 4; ++q)
            rows[q] = inputs8[q][h];
        _MM_TRANSPOSE4_PS(rows[0], rows[1], rows[2], rows[3]);
    }
    __m128 g[8];  // element k of the four 8-point results G0..G3 in lanes 0..3
    DctLanes<8>(lanes, g);

    // The merges: the 16-point results are A (G0 even, G1 odd) and B (G2 even, G3
    // odd), Out = A even, B odd. With Gq[k] + Gq[k+1] in lane q of Pairs:
    // Out[4k..4k+3] = G0[k], G2[k] + G3 pair, G1 pair, G3 pair + G2[k+1]. Adding -0
    // leaves any float as it is, which fills the lanes that take no sum.
    const __m128 negativeZero = _mm_set1_ps(-0.0f);
    const __m128 oddLanes = _mm_castsi128_ps(_mm_setr_epi32(0, -1, 0, -1));
    const __m128 evenLanesNegativeZero = _mm_andnot_ps(oddLanes, negativeZero);
    for (int k = 0; k < 8; ++k) {
        const __m128 next = k + 1 < 8 ? g[k + 1] : negativeZero;
        const __m128 pairs = k + 1 < 8 ? _mm_add_ps(g[k], next) : g[k];
        const __m128 left = _mm_shuffle_ps(g[k], pairs, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128 right = _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(pairs, next, _MM_SHUFFLE(2, 2, 3, 3)), oddLanes),
                                       evenLanesNegativeZero);
        _mm_storeu_ps(Out + 4 * k, _mm_add_ps(left, right));
    }
}
