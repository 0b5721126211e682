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
        for (int I = 0; I < Count; ++I)
            Table[I] = float(1.0 / (2.0 * std::cos((2 * I + 1) * std::numbers::pi / (2.0 * N))));
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
        const TDctConstants& C = DctConstants;
        for (int H = 0; H < 2; ++H) {
            Half32[H] = _mm_loadu_ps(C.Half32 + 4 * H);
            Half32Mirror[H] =
                _mm_setr_ps(C.Half32[15 - 4 * H], C.Half32[14 - 4 * H], C.Half32[13 - 4 * H], C.Half32[12 - 4 * H]);
            Half16[H] = _mm_loadu_ps(C.Half16 + 4 * H);
        }
        for (int I = 0; I < 4; ++I)
            Half8[I] = _mm_set1_ps(C.Half8[I]);
        for (int I = 0; I < 2; ++I)
            Half4[I] = _mm_set1_ps(C.Half4[I]);
        Half2[0] = _mm_set1_ps(C.Half2[0]);
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
        constexpr int Half = N / 2;
        const __m128* Factors = DctLaneConstants.For<N>();
        __m128 Sums[Half], Differences[Half], Even[Half], Odd[Half];
        for (int I = 0; I < Half; ++I) {
            Sums[I] = _mm_add_ps(In[I], In[N - 1 - I]);
            Differences[I] = _mm_mul_ps(_mm_sub_ps(In[I], In[N - 1 - I]), Factors[I]);
        }
        DctLanes<Half>(Sums, Even);
        DctLanes<Half>(Differences, Odd);
        for (int K = 0; K < Half; ++K) {
            Out[2 * K] = Even[K];
            Out[2 * K + 1] = K + 1 < Half ? _mm_add_ps(Odd[K], Odd[K + 1]) : Odd[K];
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
    __m128 Inputs8[4][2];  // element j of 8-point input q: Inputs8[q][j / 4], lane j % 4
    for (int H = 0; H < 2; ++H) {
        const __m128 First = _mm_loadu_ps(In + 4 * H);                  // j
        const __m128 Last = Reversed(_mm_loadu_ps(In + 28 - 4 * H));    // 31 - j
        const __m128 Middle = Reversed(_mm_loadu_ps(In + 12 - 4 * H));  // 15 - j
        const __m128 Next = _mm_loadu_ps(In + 16 + 4 * H);              // 16 + j
        const __m128 Sums = _mm_add_ps(First, Last);
        const __m128 Differences = _mm_mul_ps(_mm_sub_ps(First, Last), DctLaneConstants.Half32[H]);
        const __m128 MirrorSums = _mm_add_ps(Middle, Next);
        const __m128 MirrorDifferences = _mm_mul_ps(_mm_sub_ps(Middle, Next), DctLaneConstants.Half32Mirror[H]);
        Inputs8[0][H] = _mm_add_ps(Sums, MirrorSums);
        Inputs8[1][H] = _mm_mul_ps(_mm_sub_ps(Sums, MirrorSums), DctLaneConstants.Half16[H]);
        Inputs8[2][H] = _mm_add_ps(Differences, MirrorDifferences);
        Inputs8[3][H] = _mm_mul_ps(_mm_sub_ps(Differences, MirrorDifferences), DctLaneConstants.Half16[H]);
    }

    // The four 8-point transforms side by side: lane q is input q.
    __m128 Lanes[8];
    for (int H = 0; H < 2; ++H) {
        __m128* Rows = Lanes + 4 * H;
        for (int Q = 0; Q < 4; ++Q)
            Rows[Q] = Inputs8[Q][H];
        _MM_TRANSPOSE4_PS(Rows[0], Rows[1], Rows[2], Rows[3]);
    }
    __m128 G[8];  // element k of the four 8-point results G0..G3 in lanes 0..3
    DctLanes<8>(Lanes, G);

    // The merges: the 16-point results are A (G0 even, G1 odd) and B (G2 even, G3
    // odd), Out = A even, B odd. With Gq[k] + Gq[k+1] in lane q of Pairs:
    // Out[4k..4k+3] = G0[k], G2[k] + G3 pair, G1 pair, G3 pair + G2[k+1]. Adding -0
    // leaves any float as it is, which fills the lanes that take no sum.
    const __m128 NegativeZero = _mm_set1_ps(-0.0f);
    const __m128 OddLanes = _mm_castsi128_ps(_mm_setr_epi32(0, -1, 0, -1));
    const __m128 EvenLanesNegativeZero = _mm_andnot_ps(OddLanes, NegativeZero);
    for (int K = 0; K < 8; ++K) {
        const __m128 Next = K + 1 < 8 ? G[K + 1] : NegativeZero;
        const __m128 Pairs = K + 1 < 8 ? _mm_add_ps(G[K], Next) : G[K];
        const __m128 Left = _mm_shuffle_ps(G[K], Pairs, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128 Right = _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(Pairs, Next, _MM_SHUFFLE(2, 2, 3, 3)), OddLanes),
                                       EvenLanesNegativeZero);
        _mm_storeu_ps(Out + 4 * K, _mm_add_ps(Left, Right));
    }
}
