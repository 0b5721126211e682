// Each lane below is one block, and performs the same single-precision
// operations, in the same order, as the scalar recursion would; no product may
// be fused into a sum.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "mpeg/synthesis/MpegDct32.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

typedef float TFloat4 __attribute__((vector_size(16)));

// 1 / (2 cos((2i + 1) pi / (2N))), i = 0..N/2-1, the factors of the N-point split,
// in all four lanes.
template <int N> struct TSplitFactors {
    std::array<TFloat4, N / 2> Values;

    TSplitFactors()
    {
        for (int i = 0; i < N / 2; ++i)
            Values[static_cast<size_t>(i)] =
                TFloat4{} + static_cast<float>(1.0 / (2.0 * std::cos((2 * i + 1) * std::numbers::pi / (2.0 * N))));
    }
};

// Computed at start-up, before any decoding.
const TSplitFactors<32> Split32;
const TSplitFactors<16> Split16;
const TSplitFactors<8> Split8;
const TSplitFactors<4> Split4;
const TSplitFactors<2> Split2;

template <int N> const std::array<TFloat4, N / 2>& SplitFactors()
{
    if constexpr (N == 32)
        return Split32.Values;
    else if constexpr (N == 16)
        return Split16.Values;
    else if constexpr (N == 8)
        return Split8.Values;
    else if constexpr (N == 4)
        return Split4.Values;
    else
        return Split2.Values;
}

// The N-point transform by the even/odd split, on four independent transforms at
// once: lane b of every element belongs to block b. The values go in and out by
// value, so that the compiler keeps them in registers where it can.
template <int N> inline std::array<TFloat4, N> DctLanes(const std::array<TFloat4, N>& In)
{
    if constexpr (N == 1) {
        return In;
    } else {
        constexpr int half = N / 2;
        const std::array<TFloat4, half>& factors = SplitFactors<N>();
        std::array<TFloat4, half> sums, differences;
        for (int i = 0; i < half; ++i) {
            sums[i] = In[i] + In[N - 1 - i];
            differences[i] = (In[i] - In[N - 1 - i]) * factors[i];
        }
        const std::array<TFloat4, half> even = DctLanes<half>(sums);
        const std::array<TFloat4, half> odd = DctLanes<half>(differences);
        std::array<TFloat4, N> out;
        for (int k = 0; k < half; ++k)
            out[2 * k] = even[k];
        for (int k = 0; k + 1 < half; ++k)
            out[2 * k + 1] = odd[k] + odd[k + 1];
        out[N - 1] = odd[half - 1];
        return out;
    }
}

}  // namespace

void Dct32Four(const float* In, int Stride, float* Out)
{
    std::array<TFloat4, 32> in;
    for (int k = 0; k < 32; ++k)
        std::memcpy(&in[k], In + k * Stride, sizeof(TFloat4));
    const std::array<TFloat4, 32> out = DctLanes<32>(in);
    std::memcpy(Out, out.data(), sizeof out);
}
