#pragma once
// The ways code that has wider forms can run, each giving the same bits:
// plain (no vector code of its own), sse2 (every x86 processor this builds
// for) and avx2 (AVX2 and AVX, only where the processor has them). The
// mixer's kernels and the decoder's window sums, DCT and dequantisation each
// answer `...Of(TCodePath)` with their widest form at or below a path. A
// process runs on one path: the widest this build holds and the processor
// runs, or a plainer one named by $MORVEL_CODE_PATH ("plain", "sse2",
// "avx2"); tests and benchmarks may set another.

#include <cstdint>

enum class TCodePath : uint8_t { Plain, Sse2, Avx2 };

inline constexpr TCodePath CodePaths[] = {TCodePath::Plain, TCodePath::Sse2, TCodePath::Avx2};

// Which wider forms this build holds: up to the widest the build asks for
// (MORVEL_CODE_WIDEST: 0 plain, 1 SSE2, 2 AVX2; all by default), the vector
// ones on x86 processors only.
#ifndef MORVEL_CODE_WIDEST
#define MORVEL_CODE_WIDEST 2
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
#if MORVEL_CODE_WIDEST >= 1
#define MORVEL_CODE_SSE2 1
#endif
#if MORVEL_CODE_WIDEST >= 2
#define MORVEL_CODE_AVX2 1
#endif
#endif

// Code between these two is built for the wider instructions Target names
// ("avx2", "avx"), and must run only where the processor has them; the rest
// of a source keeps to the processors the build is for. (clang takes the
// target as a function attribute, gcc from a pragma.)
#define MORVEL_PRAGMA(Text) _Pragma(#Text)
#ifdef __clang__
#define MORVEL_WIDER_CODE_BEGIN(Target)                                                                                \
    MORVEL_PRAGMA(clang attribute push(__attribute__((target(Target))), apply_to = function))
#define MORVEL_WIDER_CODE_END MORVEL_PRAGMA(clang attribute pop)
#else
#define MORVEL_WIDER_CODE_BEGIN(Target) MORVEL_PRAGMA(GCC push_options) MORVEL_PRAGMA(GCC target(Target))
#define MORVEL_WIDER_CODE_END MORVEL_PRAGMA(GCC pop_options)
#endif

// "plain", "sse2" or "avx2".
const char* CodePathName(TCodePath Path);
// The path Name names; false when it names none.
bool CodePathNamed(const char* Name, TCodePath& Path);
// This build holds the path's forms and this processor runs them.
bool CodePathAvailable(TCodePath Path);
// The widest available path at or below Path.
TCodePath WidestCodePathUpTo(TCodePath Path);
// The path a process takes whose $MORVEL_CODE_PATH is Wanted (null when it
// is not set): the widest available at or below the one it names, the widest
// available when it names none.
TCodePath CodePathFor(const char* Wanted);
// The path the process runs on now.
TCodePath CodePath();
// Makes the process run on Path from the next choice on (a song's next tick,
// a decoder made next), or on the widest available path below it; the path
// taken. For tests and benchmarks.
TCodePath SetCodePath(TCodePath Path);
