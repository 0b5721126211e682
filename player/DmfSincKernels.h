#pragma once
// The kernels of the band-limited interpolation (TInterpolation::Sinc): a
// sinc windowed by a Kaiser window, whose cut-off follows the voice's
// increment so that a sample played above the output rate does not alias.
//
// At or below one source frame per output frame (a step of 1) the kernel
// passes the sample's own band: cut-off at half the source rate, 8 taps. Above
// it the cut-off falls with the step and the kernel spans as many more source
// frames: cut-off 1/(2 x step) of the source rate, 8 taps per whole step
// begun. The step is taken in 13 classes (1, 1.25, 1.5, 1.75, 2, 2.5, 3, 3.5,
// 4, 5, 6, 7, 8), a voice using the first class at or above its step (its
// cut-off never above the step's); above 8 the step-8 kernel serves, and the
// images it lets through grow with the step.
//
// The window: Kaiser with beta 6, less its value at its edges (scaled back to
// 1 at its middle), so that the kernel falls to zero where it ends: a tap
// enters it at zero as the fraction moves on, where the plain Kaiser window
// would let it jump in at 1/I0(6), 1.5% of its peak. Beta 6 trades the
// stopband (near -63 dB) against the width of the transition band, which 8
// taps per step cannot make narrow: measured (MixerAliasingTest), a tone at
// 0.2 of the output rate leaves images 72 dB below it at a step of 1.25
// (linear: 26 dB), a tone at 0.8 of the output rate, past its Nyquist
// frequency, folds back 63 to 66 dB below its level at steps 2 to 8 (linear:
// not at all), while one at 0.7 still folds back 39 dB below (the transition
// band). A larger beta deepens the stopband and widens the transition: more
// of a sample's top octave comes back as images when it is played below its
// rate (a step of 0.75: 57 dB below the tone at beta 6, 43 dB at beta 7).
//
// Each kernel is normalised to a gain of 1 at every phase (its taps sum to 1,
// and so do the taps interpolated between two phases, to a float's rounding),
// so a constant sample plays as that constant at any fraction.
//
// Phases: the 16-bit fraction of the play head picks one of 256 phases (128
// from a step of 2 on, 64 from 4 on, 32 at 8: a kernel wider in source frames
// is smoother in them), and its low bits place the head between that phase
// and the next, whose taps are interpolated linearly. Against the kernel
// computed exactly at the head's fraction the taps differ by at most 1.9e-5
// summed over a kernel: at most 0.62 of a full-scale sample's 32768, within
// a sixth of the output's least significant bit (which is 4 of them).
//
// The tables (about 312 KiB, static storage) are made once, by the first call
// of SincKernels: a song that plays under the sinc makes them when it starts
// (TDmf::Start), before it renders; a program that never plays one never
// spends the 5 ms they take.

#include <array>
#include <cstdint>

// Taps of one chunk: a kernel's taps are summed chunk by chunk, one tap per
// lane of an 8-wide vector, and the lanes' sums added pairwise at the end
// (SincSum in DmfMixTaps.h).
inline constexpr int SincChunkTaps = 8;
// A chunk's taps as the wider paths hold them, one per lane: the compiler's
// own vectors, which each path builds for its registers.
typedef float TTapFloats __attribute__((vector_size(4 * SincChunkTaps)));
typedef int32_t TTapInts __attribute__((vector_size(4 * SincChunkTaps)));
typedef uint32_t TTapWords __attribute__((vector_size(4 * SincChunkTaps)));
// Taps of the widest kernel (a step of 8).
inline constexpr int SincMostTaps = 64;

struct TSincKernel {
    int32_t Taps;            // 8 per whole step begun: the frames read around the head
    int32_t Chunks;          // Taps / SincChunkTaps
    int32_t PhaseShift;      // the fraction's phase: Fraction >> PhaseShift
    uint32_t BetweenMask;    // where the head lies towards the next phase: Fraction & BetweenMask
    uint64_t MostIncrement;  // the largest 16.16 increment the kernel is meant for
    // Per phase, per chunk, the chunk's 8 taps at the phase, then the 8
    // slopes towards the next phase per unit of Fraction & BetweenMask: a tap
    // is Base + Slope x (Fraction & BetweenMask). Tap i of a kernel weighs the
    // frame Taps / 2 - 1 - i frames before the head's (i from 0).
    const float* Rows;
};

// The kernels, in rising steps; made on the first call (thread-safe).
inline constexpr int SincKernelCount = 13;
const std::array<TSincKernel, SincKernelCount>& SincKernels();

// The kernel for a play head of this 16.16 increment: the first whose step is
// at or above the increment, the last above them all.
const TSincKernel& SincKernelFor(uint64_t Increment);

// Floats of one phase's row: every chunk's taps and slopes.
inline int32_t SincRowFloats(const TSincKernel& Kernel)
{
    return 2 * Kernel.Taps;
}
