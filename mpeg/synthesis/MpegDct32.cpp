// Each lane below is one block, and performs the same single-precision
// operations, in the same order, as the scalar recursion would; no product may
// be fused into a sum.
#include "mpeg/synthesis/MpegDct32.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/PlatformCodePath.h"

namespace {

constexpr int MaxLanes = 8;

// 1 / (2 cos((2i + 1) pi / (2N))) for each size N of the split, i = 0..N/2-1, each
// repeated for every lane of the widest vector. Plain floats, filled by plain code
// at start-up, whatever the processor.
struct TSplitFactorTable {
    alignas(32) float Half32[16][MaxLanes];  // the 32-point split
    alignas(32) float Half16[8][MaxLanes];   // the 16-point splits
    alignas(32) float Half8[4][MaxLanes];    // the 8-point splits
    alignas(32) float Half4[2][MaxLanes];    // the 4-point splits
    alignas(32) float Half2[1][MaxLanes];    // the 2-point splits

    TSplitFactorTable()
    {
        Fill(Half32, 32);
        Fill(Half16, 16);
        Fill(Half8, 8);
        Fill(Half4, 4);
        Fill(Half2, 2);
    }

    template <int Count> static void Fill(float (&Table)[Count][MaxLanes], int N)
    {
        for (int i = 0; i < Count; ++i) {
            for (float& lane : Table[i]) {
                lane = static_cast<float>(1.0 / (2.0 * std::cos((2 * i + 1) * std::numbers::pi / (2.0 * N))));
            }
        }
    }
};

const TSplitFactorTable SplitFactors;  // computed at start-up, before any decoding

namespace Four {
typedef float TVector __attribute__((vector_size(16)));
#include "mpeg/synthesis/MpegDct32Lanes.inc"
}  // namespace Four

}  // namespace

void Dct32Four(const float* In, int Stride, float* Out)
{
    Four::TVector out[32];
    Four::Dct32(In, Stride, out);
    std::memcpy(Out, out, sizeof out);
}

#ifdef MORVEL_CODE_AVX2
// The same eight blocks at a time, in code built for AVX alone and run only where
// the processor has it.
MORVEL_WIDER_CODE_BEGIN("avx")

namespace {

namespace Eight {
typedef float TVector __attribute__((vector_size(32)));
#include "mpeg/synthesis/MpegDct32Lanes.inc"
}  // namespace Eight

void Dct32EightLanes(const float* In, int Stride, float* Out)
{
    Eight::TVector out[32];
    Eight::Dct32(In, Stride, out);
    // Blocks 0..3 and 4..7 as two runs of four blocks side by side.
    for (int n = 0; n < 32; ++n) {
        std::memcpy(Out + 4 * n, &out[n], 4 * sizeof(float));
        std::memcpy(Out + 128 + 4 * n, reinterpret_cast<const float*>(&out[n]) + 4, 4 * sizeof(float));
    }
}

}  // namespace

MORVEL_WIDER_CODE_END
#endif  // MORVEL_CODE_AVX2

TDct32Eight Dct32EightOf([[maybe_unused]] TCodePath Path)
{
#ifdef MORVEL_CODE_AVX2
    if (WidestCodePathUpTo(Path) == TCodePath::Avx2) {
        return &Dct32EightLanes;
    }
#endif
    return nullptr;
}
