// Every lane below performs the same single-precision operations, in the same
// order, as the scalar recursion would; no product may be fused into a sum.
#pragma GCC optimize("fp-contract=off")

#include "mpeg/MpegDct32.h"

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

    template <int Count>
    static void Fill(float (&Table)[Count], int N)
    {
        for (int I = 0; I < Count; ++I)
            Table[I] = float(1.0 / (2.0 * std::cos((2 * I + 1) * std::numbers::pi / (2.0 * N))));
    }

    template <int N>
    const float* For() const
    {
        if constexpr (N == 32) return Half32;
        else if constexpr (N == 16) return Half16;
        else if constexpr (N == 8) return Half8;
        else if constexpr (N == 4) return Half4;
        else return Half2;
    }
};

const TDctConstants DctConstants;  // computed at start-up, before any decoding

// The N-point transform by the even/odd split, on four independent transforms at
// once: lane l of every element belongs to transform l.
template <int N>
inline void DctLanes(const __m128* In, __m128* Out)
{
    if constexpr (N == 1) {
        Out[0] = In[0];
    } else {
        constexpr int Half = N / 2;
        const float* Factors = DctConstants.For<N>();
        __m128 Sums[Half], Differences[Half], Even[Half], Odd[Half];
        for (int I = 0; I < Half; ++I) {
            Sums[I] = _mm_add_ps(In[I], In[N - 1 - I]);
            Differences[I] = _mm_mul_ps(_mm_sub_ps(In[I], In[N - 1 - I]), _mm_set1_ps(Factors[I]));
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

// Elements 1..3 of A, then element 0 of B.
inline __m128 ShiftedByOne(__m128 A, __m128 B)
{
    const __m128 Merged = _mm_move_ss(A, B);
    return _mm_shuffle_ps(Merged, Merged, _MM_SHUFFLE(0, 3, 2, 1));
}

// The split of an N-point input (N / 4 vectors, element order) into the inputs of
// its even and odd halves: In[i] + In[N-1-i] and (In[i] - In[N-1-i]) x factor.
template <int N>
inline void Split(const __m128* In, __m128* Sums, __m128* Differences)
{
    const float* Factors = DctConstants.For<N>();
    for (int I = 0; I < N / 8; ++I) {
        const __m128 Mirror = Reversed(In[N / 4 - 1 - I]);
        Sums[I] = _mm_add_ps(In[I], Mirror);
        Differences[I] = _mm_mul_ps(_mm_sub_ps(In[I], Mirror), _mm_loadu_ps(Factors + 4 * I));
    }
}

// The N-point result from its halves' results: Out[2k] = Even[k], Out[2k+1] =
// Odd[k] + Odd[k+1], the last odd one alone (adding -0 leaves any float as it is).
template <int N>
inline void Merge(const __m128* Even, const __m128* Odd, __m128* Out)
{
    for (int I = 0; I < N / 8; ++I) {
        const __m128 Next = I + 1 < N / 8 ? Odd[I + 1] : _mm_set1_ps(-0.0f);
        const __m128 OddSums = _mm_add_ps(Odd[I], ShiftedByOne(Odd[I], Next));
        Out[2 * I] = _mm_unpacklo_ps(Even[I], OddSums);
        Out[2 * I + 1] = _mm_unpackhi_ps(Even[I], OddSums);
    }
}

}  // namespace

void Dct32(const float* In, float* Out)
{
    // The two top splits in element order, the four 8-point transforms side by
    // side in lanes, then the two top merges in element order again.
    __m128 Input[8];
    for (int I = 0; I < 8; ++I) Input[I] = _mm_loadu_ps(In + 4 * I);
    __m128 Sums32[4], Differences32[4];
    Split<32>(Input, Sums32, Differences32);
    __m128 Quarters[4][2];  // the inputs of the four 8-point transforms
    Split<16>(Sums32, Quarters[0], Quarters[1]);
    Split<16>(Differences32, Quarters[2], Quarters[3]);

    __m128 Lanes[8];
    for (int Part = 0; Part < 2; ++Part) {
        __m128* Rows = Lanes + 4 * Part;
        for (int Q = 0; Q < 4; ++Q) Rows[Q] = Quarters[Q][Part];
        _MM_TRANSPOSE4_PS(Rows[0], Rows[1], Rows[2], Rows[3]);
    }
    __m128 Transformed[8];
    DctLanes<8>(Lanes, Transformed);
    for (int Part = 0; Part < 2; ++Part) {
        __m128* Rows = Transformed + 4 * Part;
        _MM_TRANSPOSE4_PS(Rows[0], Rows[1], Rows[2], Rows[3]);
        for (int Q = 0; Q < 4; ++Q) Quarters[Q][Part] = Rows[Q];
    }

    __m128 Even16[4], Odd16[4];
    Merge<16>(Quarters[0], Quarters[1], Even16);
    Merge<16>(Quarters[2], Quarters[3], Odd16);
    __m128 Result[8];
    Merge<32>(Even16, Odd16, Result);
    for (int I = 0; I < 8; ++I) _mm_storeu_ps(Out + 4 * I, Result[I]);
}
