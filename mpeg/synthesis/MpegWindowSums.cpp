// The window sums must give the same PCM on every build and processor: each is
// accumulated in double, tap 0 first, and no product may be fused into a sum.
// Widening the float history and window to double is exact, and so is each
// product of the two; a lane of a vector is one output sample's own scalar sum.
#include "mpeg/synthesis/MpegWindowSums.h"

#include <emmintrin.h>
#include <immintrin.h>

#include "platform/PlatformCodePath.h"

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

// The PCM of two sums: truncated toward zero and limited to 16 bits (a
// non-number gives 0). Limiting before truncating gives the same integers.
inline __m128i PcmFromSums(__m128d Sums)
{
    Sums = _mm_and_pd(Sums, _mm_cmpord_pd(Sums, Sums));
    Sums = _mm_min_pd(_mm_max_pd(Sums, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
    return _mm_cvttpd_epi32(Sums);
}

// The history is stored with stores as wide as the loads of the sums, so that
// the block's own column, read again at once, comes straight from the stores.
void SumsInPairs(const float* V, double* Actual, double* Other, int Column, const double* Window, int16_t* Pcm)
{
    double* actual = Actual + Subbands * Column;
    double* other = Other + Subbands * Column;
    for (int row = 0; row < Subbands; row += 4) {
        const __m128 first = _mm_load_ps(V + row);
        const __m128 second = _mm_load_ps(V + Subbands + row);
        _mm_store_pd(actual + row, _mm_cvtps_pd(first));
        _mm_store_pd(actual + row + 2, _mm_cvtps_pd(_mm_movehl_ps(first, first)));
        _mm_store_pd(other + row, _mm_cvtps_pd(second));
        _mm_store_pd(other + row + 2, _mm_cvtps_pd(_mm_movehl_ps(second, second)));
    }
    for (int j = 0; j < Subbands; j += 2 * SumsInFlight) {
        __m128d sums[SumsInFlight];
        for (__m128d& sum : sums) {
            sum = _mm_setzero_pd();
        }
        for (int t = 0; t < Taps; ++t) {
            const double* rows = Actual + Subbands * TapColumn(Column, t) + j;
            const double* coefficients = Window + Subbands * t + j;
            for (int g = 0; g < SumsInFlight; ++g) {
                sums[g] = _mm_add_pd(sums[g], _mm_mul_pd(_mm_load_pd(rows + 2 * g), _mm_load_pd(coefficients + 2 * g)));
            }
        }
        for (int g = 0; g < SumsInFlight; g += 2) {
            const __m128i four = _mm_unpacklo_epi64(PcmFromSums(sums[g]), PcmFromSums(sums[g + 1]));
            _mm_storel_epi64(reinterpret_cast<__m128i*>(Pcm + j + 2 * g), _mm_packs_epi32(four, four));
        }
    }
}

// The same four outputs at a time, in code built for AVX alone and run only
// where the processor has it.
MORVEL_WIDER_CODE_BEGIN("avx")

inline __m128i PcmFromFourSums(__m256d Sums)
{
    Sums = _mm256_and_pd(Sums, _mm256_cmp_pd(Sums, Sums, _CMP_ORD_Q));
    Sums = _mm256_min_pd(_mm256_max_pd(Sums, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0));
    return _mm256_cvttpd_epi32(Sums);
}

void SumsInFours(const float* V, double* Actual, double* Other, int Column, const double* Window, int16_t* Pcm)
{
    double* actual = Actual + Subbands * Column;
    double* other = Other + Subbands * Column;
    for (int row = 0; row < Subbands; row += 4) {
        _mm256_store_pd(actual + row, _mm256_cvtps_pd(_mm_load_ps(V + row)));
        _mm256_store_pd(other + row, _mm256_cvtps_pd(_mm_load_ps(V + Subbands + row)));
    }
    for (int j = 0; j < Subbands; j += 4 * SumsInFlight) {
        __m256d sums[SumsInFlight];
        for (__m256d& sum : sums) {
            sum = _mm256_setzero_pd();
        }
        for (int t = 0; t < Taps; ++t) {
            const double* rows = Actual + Subbands * TapColumn(Column, t) + j;
            const double* coefficients = Window + Subbands * t + j;
            for (int g = 0; g < SumsInFlight; ++g) {
                sums[g] = _mm256_add_pd(
                    sums[g], _mm256_mul_pd(_mm256_load_pd(rows + 4 * g), _mm256_load_pd(coefficients + 4 * g)));
            }
        }
        for (int g = 0; g < SumsInFlight; g += 2) {
            const __m128i eight = _mm_packs_epi32(PcmFromFourSums(sums[g]), PcmFromFourSums(sums[g + 1]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(Pcm + j + 4 * g), eight);
        }
    }
}

MORVEL_WIDER_CODE_END

}  // namespace

TWindowSums WindowSumsOf(TCodePath Path)
{
    return WidestCodePathUpTo(Path) == TCodePath::Avx2 ? &SumsInFours : &SumsInPairs;
}
