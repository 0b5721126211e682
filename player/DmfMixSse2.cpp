// The mixer's kernels on the SSE2 code path: four output frames of a voice
// at a time.
#include "player/DmfMixKernels.h"

#ifdef MORVEL_CODE_SSE2

#include <emmintrin.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"

namespace {

struct TSse2Lanes {
    static constexpr int Count = 4;
    static constexpr bool Windows = false;
    typedef float TFloats __attribute__((vector_size(16)));
    typedef int32_t TInts __attribute__((vector_size(16)));
    typedef uint32_t TWords __attribute__((vector_size(16)));

    // No gather below AVX2: four loads.
    static TInts Words(const uint8_t* Base, TWords Rel)
    {
        uint32_t at[Count];
        std::memcpy(at, &Rel, sizeof at);
        TInts words;
        for (int i = 0; i < Count; ++i) {
            int32_t word;
            std::memcpy(&word, Base + at[i], sizeof word);
            words[i] = word;
        }
        return words;
    }

    // Eight signed bytes or 16-bit values from Values on, widened to 32 bits.
    static void Widen8(const uint8_t* Values, TTapInts& Words)
    {
        typedef int8_t TBytes __attribute__((vector_size(8)));
        TBytes bytes;
        std::memcpy(&bytes, Values, sizeof bytes);
        Words = __builtin_convertvector(bytes, TTapInts);
    }
    static void Widen16(const uint8_t* Values, TTapInts& Words)
    {
        typedef int16_t TShorts __attribute__((vector_size(16)));
        TShorts shorts;
        std::memcpy(&shorts, Values, sizeof shorts);
        Words = __builtin_convertvector(shorts, TTapInts);
    }

    // Lane Lane of Values in every lane.
    static void Spread(const TTapFloats& Values, int Lane, TTapFloats& Spread)
    {
        for (int i = 0; i < SincChunkTaps; ++i) {
            Spread[i] = Values[Lane];
        }
    }

    // The maximum gives its second operand unless the first is greater.
    static TFloats AtLeast(TFloats V, TFloats Low) { return _mm_max_ps(Low, V); }
    static TFloats AtMost(TFloats V, TFloats High) { return _mm_min_ps(High, V); }

    static void Interleave(TInts Left, TInts Right, uint8_t* Pcm)
    {
        const __m128i left = _mm_packs_epi32(reinterpret_cast<__m128i>(Left), reinterpret_cast<__m128i>(Left));
        const __m128i right = _mm_packs_epi32(reinterpret_cast<__m128i>(Right), reinterpret_cast<__m128i>(Right));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Pcm), _mm_unpacklo_epi16(left, right));
    }
};

}  // namespace

#include "player/DmfMixLanes.h"

const TMixKernels& Sse2MixKernels()
{
    return LaneKernels<TSse2Lanes>;
}

#endif  // MORVEL_CODE_SSE2
