// The mixer's kernels on the AVX2 code path: eight output frames of a voice
// at a time. Where the increment is short enough the source words are cut by
// shuffles from a few whole loads, else gathered in one instruction. Built
// for AVX2 here alone and run only where the processor has it: the rest of
// the program keeps to the processors it builds for.
#include "player/DmfMixKernels.h"

#ifdef MORVEL_CODE_AVX2

#include <immintrin.h>

#include <cstdint>
#include <cstring>
#include <utility>

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"

// Everything from here to the pop is built for AVX2 (not FMA: no product is
// ever fused into a sum). DmfMixFrame.h stays built for every processor: its
// functions inline into the code below, which is private to this file.
MORVEL_WIDER_CODE_BEGIN("avx2")

namespace {

struct TAvx2Lanes {
    static constexpr int Count = 8;
    static constexpr bool Windows = true;
    typedef float TFloats __attribute__((vector_size(32)));
    typedef int32_t TInts __attribute__((vector_size(32)));
    typedef uint32_t TWords __attribute__((vector_size(32)));

    static TInts Words(const uint8_t* Base, TWords Rel)
    {
        return reinterpret_cast<TInts>(
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(Base), reinterpret_cast<__m256i>(Rel), 1));
    }

    // The byte shuffle works within each 128-bit half: the low half's lanes
    // take their words from the window at the group's frame 0, the high
    // half's from the one at frame 4, each lane the 4 bytes from its offset
    // within that window on.
    static TInts ByteControl(TWords Rel)
    {
        const __m256i rel = reinterpret_cast<__m256i>(Rel);
        return WindowControl(_mm256_sub_epi32(rel, _mm256_shuffle_epi32(rel, 0)));
    }

    static TInts ByteWords(const uint8_t* Low, const uint8_t* High, TInts Control)
    {
        const __m256i windows =
            _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(High), reinterpret_cast<const __m128i*>(Low));
        return reinterpret_cast<TInts>(_mm256_shuffle_epi8(windows, reinterpret_cast<__m256i>(Control)));
    }

    // One window for both halves: lane 0's word starts it.
    static TInts OneByteControl(TWords Rel) { return WindowControl(reinterpret_cast<__m256i>(Rel)); }

    static TInts OneByteWords(const uint8_t* Window, TInts Control)
    {
        const __m256i window = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Window)));
        return reinterpret_cast<TInts>(_mm256_shuffle_epi8(window, reinterpret_cast<__m256i>(Control)));
    }

    // The byte shuffle's control that takes each lane's 4 bytes from its
    // offset InWindow[i] in its half's window on.
    static TInts WindowControl(__m256i InWindow)
    {
        const __m256i lowBytes = _mm256_setr_epi8(0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 0, 0, 0, 0, 4, 4,
                                                  4, 4, 8, 8, 8, 8, 12, 12, 12, 12);
        const __m256i control = _mm256_add_epi8(_mm256_shuffle_epi8(InWindow, lowBytes), _mm256_set1_epi32(0x03020100));
        return reinterpret_cast<TInts>(control);
    }

    // The permute picks from eight frames: frames 8..15 come from the
    // second 32 bytes.
    static TInts FrameWords(const uint8_t* Frames, TWords Index)
    {
        const __m256i index = reinterpret_cast<__m256i>(Index);
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Frames));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Frames + 32));
        const __m256i inSecond = _mm256_cmpgt_epi32(index, _mm256_set1_epi32(7));
        return reinterpret_cast<TInts>(_mm256_blendv_epi8(_mm256_permutevar8x32_epi32(first, index),
                                                          _mm256_permutevar8x32_epi32(second, index), inSecond));
    }

    static TInts OneFrameWords(const uint8_t* Frames, TWords Index)
    {
        const __m256i frames = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Frames));
        return reinterpret_cast<TInts>(_mm256_permutevar8x32_epi32(frames, reinterpret_cast<__m256i>(Index)));
    }

    // Eight signed bytes or 16-bit values from Values on, widened to 32 bits.
    static void Widen8(const uint8_t* Values, TTapInts& Words)
    {
        Words =
            reinterpret_cast<TTapInts>(_mm256_cvtepi8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(Values))));
    }
    static void Widen16(const uint8_t* Values, TTapInts& Words)
    {
        Words = reinterpret_cast<TTapInts>(
            _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Values))));
    }

    // Lane Lane of Values in every lane.
    static void Spread(const TTapFloats& Values, int Lane, TTapFloats& Spread)
    {
        Spread = reinterpret_cast<TTapFloats>(
            _mm256_permutevar8x32_ps(reinterpret_cast<__m256>(Values), _mm256_set1_epi32(Lane)));
    }

    // The maximum gives its second operand unless the first is greater.
    static TFloats AtLeast(TFloats V, TFloats Low) { return _mm256_max_ps(Low, V); }
    static TFloats AtMost(TFloats V, TFloats High) { return _mm256_min_ps(High, V); }

    // The pack leaves {left 0..3, right 0..3} in each half; the byte shuffle
    // pairs them frame by frame.
    static void Interleave(TInts Left, TInts Right, uint8_t* Pcm)
    {
        const __m256i packed = _mm256_packs_epi32(reinterpret_cast<__m256i>(Left), reinterpret_cast<__m256i>(Right));
        const __m256i pairs = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0, 1, 8, 9, 2, 3,
                                               10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pcm), _mm256_shuffle_epi8(packed, pairs));
    }
};

}  // namespace

#include "player/DmfMixLanes.h"

MORVEL_WIDER_CODE_END

const TMixKernels& Avx2MixKernels()
{
    return LaneKernels<TAvx2Lanes>;
}

#endif  // MORVEL_CODE_AVX2
