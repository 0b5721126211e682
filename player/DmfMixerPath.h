#pragma once
// The ways the mixer can run, each giving the same output bit for bit: plain
// (one output frame at a time, no vector code), SSE2 (four output frames of a
// voice at once, every x86 processor this builds for) and AVX2 (eight at
// once, only where the processor has it). Every song mixes on the path chosen
// for the process: the widest this build holds and the processor runs, or a
// plainer one named by $MORVEL_MIXER_PATH ("plain", "sse2", "avx2").

#include <cstdint>

enum class TMixerPath : uint8_t { Plain, Sse2, Avx2 };

inline constexpr TMixerPath MixerPaths[] = {TMixerPath::Plain, TMixerPath::Sse2, TMixerPath::Avx2};

// "plain", "sse2" or "avx2".
const char* MixerPathName(TMixerPath Path);
// The path Name names (as $MORVEL_MIXER_PATH does); false when it names none.
bool MixerPathNamed(const char* Name, TMixerPath& Path);
// This build holds the path's code and this processor runs it.
bool MixerPathAvailable(TMixerPath Path);
// The path a process takes whose $MORVEL_MIXER_PATH is Wanted (null when it
// is not set): the widest available at or below the one it names, the widest
// available when it names none.
TMixerPath MixerPathFor(const char* Wanted);
// The path every song mixes on now.
TMixerPath MixerPath();
// Makes every song mix on Path from the next tick on, or on the widest
// available path below it; the path taken. For tests and benchmarks.
TMixerPath SetMixerPath(TMixerPath Path);
