#include "mpeg/MpegDct32.h"

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

template <int N>
inline void Dct(const float* In, float* Out)
{
    if constexpr (N == 1) {
        Out[0] = In[0];
    } else {
        constexpr int Half = N / 2;
        const float* Factors = DctConstants.For<N>();
        float Sums[Half], Differences[Half], Even[Half], Odd[Half];
        for (int I = 0; I < Half; ++I) {
            Sums[I] = In[I] + In[N - 1 - I];
            Differences[I] = (In[I] - In[N - 1 - I]) * Factors[I];
        }
        Dct<Half>(Sums, Even);
        Dct<Half>(Differences, Odd);
        for (int K = 0; K < Half; ++K) {
            Out[2 * K] = Even[K];
            Out[2 * K + 1] = K + 1 < Half ? Odd[K] + Odd[K + 1] : Odd[K];
        }
    }
}

}  // namespace

void Dct32(const float* In, float* Out)
{
    Dct<32>(In, Out);
}
