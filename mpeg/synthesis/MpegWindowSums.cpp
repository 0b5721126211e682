// The window sums must give the same PCM on every build and processor: each is
// accumulated in double, tap 0 first, and no product may be fused into a sum.
// Widening the float history and window to double is exact, and so is each
// product of the two; a lane of a vector is one output sample's own scalar sum.
// The sums are written once (MpegWindowSumLanes.inc) for the lane set of each
// path: one double (plain), two (SSE2) or four (AVX, on avx2).
#include "mpeg/synthesis/MpegWindowSums.h"

#include <algorithm>

#include "platform/PlatformCodePath.h"

#ifdef MORVEL_CODE_SSE2
#include <emmintrin.h>
#endif
#ifdef MORVEL_CODE_AVX2
#include <immintrin.h>
#endif

namespace {

constexpr int Subbands = 32;
constexpr int Taps = 16;
// Sums kept in flight at once, one register each: enough that the adds of
// different outputs overlap instead of each waiting on its own last one, few
// enough that they and the products stay in registers (8 vector registers in
// 32-bit code).
#if defined(__x86_64__)
constexpr int SumsInFlight = 8;
#else
constexpr int SumsInFlight = 4;
#endif

// The history column that tap Tap reads for a block written at column Column.
inline int TapColumn(int Column, int Tap)
{
    return (Column - Tap) & (Taps - 1);
}

namespace Plain {

struct TLanes {
    static constexpr int Count = 1;
    using TSums = double;

    static TSums Widen(const float* From) { return *From; }
    static TSums Load(const double* At) { return *At; }
    static void Store(double* At, TSums Sums) { *At = Sums; }
    static int16_t PcmOf(double Sum)
    {
        return Sum != Sum ? 0 : static_cast<int16_t>(std::clamp(Sum, -32768.0, 32767.0));
    }
    static void StorePcm(TSums First, TSums Second, int16_t* Pcm)
    {
        Pcm[0] = PcmOf(First);
        Pcm[1] = PcmOf(Second);
    }
};

#include "mpeg/synthesis/MpegWindowSumLanes.inc"

}  // namespace Plain

#ifdef MORVEL_CODE_SSE2
namespace Pairs {

struct TLanes {
    static constexpr int Count = 2;
    using TSums = __m128d;

    static TSums Widen(const float* From)
    {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(From))));
    }
    static TSums Load(const double* At) { return _mm_load_pd(At); }
    static void Store(double* At, TSums Sums) { _mm_store_pd(At, Sums); }
    // Limiting before truncating gives the same integers.
    static __m128i PcmOf(TSums Sums)
    {
        Sums = _mm_and_pd(Sums, _mm_cmpord_pd(Sums, Sums));
        Sums = _mm_min_pd(_mm_max_pd(Sums, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
        return _mm_cvttpd_epi32(Sums);
    }
    static void StorePcm(TSums First, TSums Second, int16_t* Pcm)
    {
        const __m128i four = _mm_unpacklo_epi64(PcmOf(First), PcmOf(Second));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Pcm), _mm_packs_epi32(four, four));
    }
};

#include "mpeg/synthesis/MpegWindowSumLanes.inc"

}  // namespace Pairs
#endif  // MORVEL_CODE_SSE2

#ifdef MORVEL_CODE_AVX2
// Four outputs at a time, in code built for AVX alone and run only where the
// processor has it.
MORVEL_WIDER_CODE_BEGIN("avx")

namespace Fours {

struct TLanes {
    static constexpr int Count = 4;
    using TSums = __m256d;

    static TSums Widen(const float* From) { return _mm256_cvtps_pd(_mm_load_ps(From)); }
    static TSums Load(const double* At) { return _mm256_load_pd(At); }
    static void Store(double* At, TSums Sums) { _mm256_store_pd(At, Sums); }
    static __m128i PcmOf(TSums Sums)
    {
        Sums = _mm256_and_pd(Sums, _mm256_cmp_pd(Sums, Sums, _CMP_ORD_Q));
        Sums = _mm256_min_pd(_mm256_max_pd(Sums, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0));
        return _mm256_cvttpd_epi32(Sums);
    }
    static void StorePcm(TSums First, TSums Second, int16_t* Pcm)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Pcm), _mm_packs_epi32(PcmOf(First), PcmOf(Second)));
    }
};

#include "mpeg/synthesis/MpegWindowSumLanes.inc"

}  // namespace Fours

MORVEL_WIDER_CODE_END
#endif  // MORVEL_CODE_AVX2

}  // namespace

TWindowSums WindowSumsOf(TCodePath Path)
{
    switch (WidestCodePathUpTo(Path)) {
#ifdef MORVEL_CODE_AVX2
    case TCodePath::Avx2:
        return &Fours::WindowSums;
#endif
#ifdef MORVEL_CODE_SSE2
    case TCodePath::Sse2:
        return &Pairs::WindowSums;
#endif
    default:
        return &Plain::WindowSums;
    }
}
