#pragma once
// Fixed limits of the song model. Every count read from a file is held within
// these before it is used to index anything.

#include <cstdint>

#include "player/DmfOutputFormat.h"

inline constexpr int MaxSamples = 255;           // samples per song, numbered 1..255
inline constexpr int MaxPatterns = 256;          // patterns per song, numbered 0..255
inline constexpr int MaxTracks = 32;             // note tracks per pattern
inline constexpr int MaxRows = 1024;             // rows per track
inline constexpr int MaxSequenceEntries = 2048;  // pattern sequence entries
inline constexpr int MaxCuePoints = 256;         // cue points per sample
inline constexpr int MaxSampleName = 30;         // characters of a sample name
inline constexpr int VoiceCount = 33;            // voices and track states 0..32
inline constexpr int MixedVoices = 32;           // the mixer never mixes voice 32

// A tick is the sequencer's unit of time and of output: its bytes (BlockBytes)
// follow the tempo. The largest tick is also the most RenderBlock hands out
// in one call.
inline constexpr int32_t MaxTickBytes = 441000;    // largest tick (2.5 s of output)
inline constexpr int32_t InitialTickBytes = 2940;  // 60 ticks per second
inline constexpr int TicksPerRow = 4;
inline constexpr int SampleGuardBytes = 16;  // zero bytes before and after sample PCM
