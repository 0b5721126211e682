#pragma once
// The mixer's work that each path (DmfMixerPath.h) does its own way: a
// stretch of a voice's frames in each frame format, the frames of a voice
// going round a short loop, and the conversion of a tick's accumulators to
// PCM. Every path gives the same bits.

#include <array>
#include <cstdint>

#include "player/DmfMixerPath.h"

struct TPlayHead;
struct TLoopedHead;

// Which paths this build holds: up to the widest the build asks for
// (MORVEL_MIXER_WIDEST: 0 plain, 1 SSE2, 2 AVX2; all by default), the
// vector ones on x86 processors only.
#ifndef MORVEL_MIXER_WIDEST
#define MORVEL_MIXER_WIDEST 2
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#if MORVEL_MIXER_WIDEST >= 1
#define MORVEL_MIXER_SSE2 1
#endif
#if MORVEL_MIXER_WIDEST >= 2
#define MORVEL_MIXER_AVX2 1
#endif
#endif

// Mixes Frames output frames of a voice from Head on into the accumulators
// Left[0..Frames-1] and Right[...], every frame read and the next one lying
// inside the sample's allocation (Format::ReadBytes from the frame's offset
// within DataLength bytes), and moves Head past them. Gains as MixFrame
// takes them.
using TMixStretch = void (*)(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float* Left,
                             float* Right, int32_t Frames);
// Mixes Frames output frames of a voice from Head on, inside a loop whose
// every frame and the next one lie inside the sample's allocation, wrapping
// on the way, and moves Head past them.
using TMixLooped = void (*)(const uint8_t* Data, TLoopedHead& Head, const float* Gains, float* Left, float* Right,
                            int32_t Frames);
// Frames output frames of accumulators as 16-bit little-endian PCM.
using TMixConvert = void (*)(const float* Left, const float* Right, uint8_t* Pcm, int32_t Frames);

struct TMixKernels {
    std::array<TMixStretch, 4> Stretches;  // by TFrameFormat::Index
    std::array<TMixLooped, 4> Looped;      // by TFrameFormat::Index
    TMixConvert Convert;
};

// The kernels of a path this build holds.
const TMixKernels& MixKernelsOf(TMixerPath Path);
#ifdef MORVEL_MIXER_SSE2
const TMixKernels& Sse2MixKernels();
#endif
#ifdef MORVEL_MIXER_AVX2
const TMixKernels& Avx2MixKernels();
#endif
