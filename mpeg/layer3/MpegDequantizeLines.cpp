// The lines of dequantisation: each line's float operations in the scalar order,
// several lines side by side; no product may be fused into a sum.
#include "mpeg/layer3/MpegDequantizeLines.h"

#include <emmintrin.h>
#ifdef MORVEL_CODE_AVX2
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

#include "mpeg/layer3/MpegFloat4.h"
#include "mpeg/layer3/MpegLayer3Tables.h"
#include "platform/PlatformCodePath.h"

namespace {

// DequantizeLines four lines at a time, then one at a time.
template <bool Scaled>
void QuantizedLines(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out)
{
    const float* power = Layer3Math().Power43;
    constexpr int largest = TLayer3Math::PowerTableSize - 1;
    auto scalar = [&](int Line) {
        const int value = Values[Line];
        const int magnitude = std::min(value < 0 ? -value : value, largest);
        // The sign bit set without a branch (signs are unpredictable): the same as
        // negating the power, which is never a non-number.
        const uint32_t sign = static_cast<uint32_t>(value < 0) << 31;
        const float result = std::bit_cast<float>(std::bit_cast<uint32_t>(power[magnitude]) | sign) * Gain;
        return Scaled ? result * Factors[Line] : result;
    };
    int line = First;
    for (; line + 4 <= Stop; line += 4) {
        // Four 16-bit values into the high halves of four lanes, then shifted down
        // with their signs.
        const __m128i packed = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(Values + line));
        const TInt4 values = std::bit_cast<TInt4>(_mm_srai_epi32(_mm_unpacklo_epi16(packed, packed), 16));
        const TInt4 negative = values >> 31;
        TInt4 magnitude = (values ^ negative) - negative;
        magnitude = magnitude > largest ? TInt4{} + largest : magnitude;
        const TInt4 powers = {std::bit_cast<int32_t>(power[magnitude[0]]), std::bit_cast<int32_t>(power[magnitude[1]]),
                              std::bit_cast<int32_t>(power[magnitude[2]]), std::bit_cast<int32_t>(power[magnitude[3]])};
        TFloat4 result;
        const TInt4 signedPowers = powers | (negative & static_cast<int32_t>(0x80000000u));
        std::memcpy(&result, &signedPowers, sizeof result);
        result *= Gain;
        if constexpr (Scaled) {
            result *= Load4(Factors + line);
        }
        Store4(Out + line, result);
    }
    for (; line < Stop; ++line) {
        Out[line] = scalar(line);
    }
}

void LinesInFours(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out)
{
    if (Factors) {
        QuantizedLines<true>(Values, Gain, Factors, First, Stop, Out);
    } else {
        QuantizedLines<false>(Values, Gain, Factors, First, Stop, Out);
    }
}

#ifdef MORVEL_CODE_AVX2
// Eight lines at a time with AVX2, the powers gathered from the table in one
// instruction, each line through the same float operations; the rest as above.
// Built for AVX2 and run only where the processor has it.
MORVEL_WIDER_CODE_BEGIN("avx2")

void LinesInEights(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out)
{
    const int* power = reinterpret_cast<const int*>(Layer3Math().Power43);
    const __m256i largest = _mm256_set1_epi32(TLayer3Math::PowerTableSize - 1);
    const __m256i signBit = _mm256_set1_epi32(static_cast<int32_t>(0x80000000u));
    const __m256 gain = _mm256_set1_ps(Gain);
    int line = First;
    for (; line + 8 <= Stop; line += 8) {
        const __m256i values = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Values + line)));
        const __m256i magnitude = _mm256_min_epi32(_mm256_abs_epi32(values), largest);
        const __m256i powers = _mm256_i32gather_epi32(power, magnitude, 4);
        __m256 result = _mm256_castsi256_ps(_mm256_or_si256(powers, _mm256_and_si256(values, signBit)));
        result = _mm256_mul_ps(result, gain);
        if (Factors) {
            result = _mm256_mul_ps(result, _mm256_loadu_ps(Factors + line));
        }
        _mm256_storeu_ps(Out + line, result);
    }
    LinesInFours(Values, Gain, Factors, line, Stop, Out);
}

MORVEL_WIDER_CODE_END
#endif  // MORVEL_CODE_AVX2

}  // namespace

TDequantizeLines DequantizeLinesOf([[maybe_unused]] TCodePath Path)
{
#ifdef MORVEL_CODE_AVX2
    if (WidestCodePathUpTo(Path) == TCodePath::Avx2) {
        return &LinesInEights;
    }
#endif
    return &LinesInFours;
}

void DequantizeLines(const int16_t* Values, float Gain, const float* Factors, int First, int Stop, float* Out)
{
    DequantizeLinesOf(CodePath())(Values, Gain, Factors, First, Stop, Out);
}
