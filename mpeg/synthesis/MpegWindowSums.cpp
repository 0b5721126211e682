// The window sums must give the same PCM on every build and processor: each is
// accumulated in double, tap 0 first, and no product may be fused into a sum.
// Widening the float history and window to double is exact, and so is each
// product of the two; a lane of a vector is one output sample's own scalar sum.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "mpeg/synthesis/MpegWindowSums.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <utility>

namespace {

constexpr int Subbands = 32;
constexpr int Taps = 16;
constexpr auto TapOrder = std::make_integer_sequence<int, Taps>();

// The history row of tap Tap for a block written at column Column.
template <int Column, int Tap> constexpr int TapColumn = (Column - Tap + Taps) % Taps;

// Adds tap Tap of output samples J and J + 1 to their sums.
template <int Column, int Tap> inline void AddTap(const double* V, const double* Window, int J, __m128d& Sums)
{
    const double* rows = V + Subbands * TapColumn<Column, Tap> + J;
    const double* coefficients = Window + Subbands * Tap + J;
    Sums = _mm_add_pd(Sums, _mm_mul_pd(_mm_loadu_pd(rows), _mm_load_pd(coefficients)));
}

// The PCM of two sums: truncated toward zero and limited to 16 bits (a
// non-number gives 0). Limiting before truncating gives the same integers.
inline __m128i PcmFromSums(__m128d Sums)
{
    Sums = _mm_and_pd(Sums, _mm_cmpord_pd(Sums, Sums));
    Sums = _mm_min_pd(_mm_max_pd(Sums, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
    return _mm_cvttpd_epi32(Sums);
}

// The PCM of output samples J and J + 1: their 16-tap window sums, tap 0 first.
template <int Column, int... Tap>
inline __m128i PcmPair(const double* V, const double* Window, int J, std::integer_sequence<int, Tap...>)
{
    __m128d sums = _mm_setzero_pd();
    (AddTap<Column, Tap>(V, Window, J, sums), ...);
    return PcmFromSums(sums);
}

// The 32 PCM samples of one block, with the write column fixed at compile time so
// that no index wraps inside the sums; four per round, packed to 16 bits.
template <int Column> void SumsInPairs(const double* V, const double* Window, int16_t* Pcm)
{
    for (int j = 0; j < Subbands; j += 4) {
        const __m128i four =
            _mm_unpacklo_epi64(PcmPair<Column>(V, Window, j, TapOrder), PcmPair<Column>(V, Window, j + 2, TapOrder));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Pcm + j), _mm_packs_epi32(four, four));
    }
}

// The same four outputs at a time, in code built for AVX alone and run only
// where the processor has it.
#ifdef __clang__
// clang takes the target from a function attribute, not from a pragma (the fuzz build).
#pragma clang attribute push(__attribute__((target("avx"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx")
#endif

template <int Column, int Tap> inline void AddTapFour(const double* V, const double* Window, int J, __m256d& Sums)
{
    const double* rows = V + Subbands * TapColumn<Column, Tap> + J;
    const double* coefficients = Window + Subbands * Tap + J;
    Sums = _mm256_add_pd(Sums, _mm256_mul_pd(_mm256_loadu_pd(rows), _mm256_loadu_pd(coefficients)));
}

inline __m128i PcmFromFourSums(__m256d Sums)
{
    Sums = _mm256_and_pd(Sums, _mm256_cmp_pd(Sums, Sums, _CMP_ORD_Q));
    Sums = _mm256_min_pd(_mm256_max_pd(Sums, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0));
    return _mm256_cvttpd_epi32(Sums);
}

template <int Column, int... Tap>
inline __m128i PcmFour(const double* V, const double* Window, int J, std::integer_sequence<int, Tap...>)
{
    __m256d sums = _mm256_setzero_pd();
    (AddTapFour<Column, Tap>(V, Window, J, sums), ...);
    return PcmFromFourSums(sums);
}

template <int Column> void SumsInFours(const double* V, const double* Window, int16_t* Pcm)
{
    for (int j = 0; j < Subbands; j += 8) {
        const __m128i eight =
            _mm_packs_epi32(PcmFour<Column>(V, Window, j, TapOrder), PcmFour<Column>(V, Window, j + 4, TapOrder));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Pcm + j), eight);
    }
}

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

template <int... Columns> constexpr TWindowSumsByColumn MakePairs(std::integer_sequence<int, Columns...>)
{
    return {&SumsInPairs<Columns>...};
}

template <int... Columns> constexpr TWindowSumsByColumn MakeFours(std::integer_sequence<int, Columns...>)
{
    return {&SumsInFours<Columns>...};
}

constexpr TWindowSumsByColumn Pairs = MakePairs(std::make_integer_sequence<int, Taps>());
constexpr TWindowSumsByColumn Fours = MakeFours(std::make_integer_sequence<int, Taps>());

}  // namespace

const TWindowSumsByColumn& WindowSumsInPairs()
{
    return Pairs;
}

const TWindowSumsByColumn* WindowSumsInFours()
{
    // The check includes the system's support for the wider registers.
    static const bool hasAvx = [] {
        __builtin_cpu_init();  // may run before the constructors that would otherwise do it
        return __builtin_cpu_supports("avx") != 0;
    }();
    return hasAvx ? &Fours : nullptr;
}

const TWindowSumsByColumn& WindowSumsForThisProcessor()
{
    const TWindowSumsByColumn* wide = WindowSumsInFours();
    return wide ? *wide : Pairs;
}
