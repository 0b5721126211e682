#pragma once
// The mixer's work that each code path (platform/PlatformCodePath.h) does
// its own way: a stretch of a voice's frames under each interpolation in each
// frame format, the frames of a voice going round a short loop (linear), and
// the conversion of a tick's accumulators to PCM. Every path gives the same
// bits: plain one output frame at a time, SSE2 four output frames of a voice
// at once (eight under the sinc, whose taps fill the lanes), AVX2 eight.

#include <array>
#include <cstdint>

#include "platform/PlatformCodePath.h"

struct TPlayHead;
struct TLoopedHead;
struct TSincKernel;

// Mixes Frames output frames of a voice from Head on into the accumulators
// Left[0..Frames-1] and Right[...], and moves Head past them. Every frame's
// taps (DmfMixTaps.h; linear's: the frame and the next one) lie inside the
// DataLength bytes from Data (TTapSpan::Bytes from the first tap's offset)
// and read straight, no loop turning between them. Gains as MixFrame takes
// them; Sinc the voice's kernel under the sinc, else null.
using TMixStretch = void (*)(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float* Left,
                             float* Right, int32_t Frames, const TSincKernel* Sinc);
// Mixes Frames output frames of a voice from Head on, inside a loop whose
// every frame and the next one lie inside the sample's allocation, wrapping
// on the way, and moves Head past them.
using TMixLooped = void (*)(const uint8_t* Data, TLoopedHead& Head, const float* Gains, float* Left, float* Right,
                            int32_t Frames);
// Frames output frames of accumulators as 16-bit little-endian PCM.
using TMixConvert = void (*)(const float* Left, const float* Right, uint8_t* Pcm, int32_t Frames);

// A path's stretches of one interpolation, by TFrameFormat::Index.
using TMixStretches = std::array<TMixStretch, 4>;

struct TMixKernels {
    std::array<TMixStretches, 4> Stretches;  // by TInterpolation
    std::array<TMixLooped, 4> Looped;        // linear's, by TFrameFormat::Index
    TMixConvert Convert;
};

// The kernels of the widest path at or below Path that this build holds and
// the processor runs.
const TMixKernels& MixKernelsOf(TCodePath Path);
#ifdef MORVEL_CODE_SSE2
const TMixKernels& Sse2MixKernels();
#endif
#ifdef MORVEL_CODE_AVX2
const TMixKernels& Avx2MixKernels();
#endif
