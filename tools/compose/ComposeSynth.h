#pragma once
// Synthesized instruments of the example song. Every sample is made from
// formulas and a fixed-seed noise source, so the song is the same on every build.

#include <cstdint>
#include <vector>

#include "tools/writer/WriterSong.h"

// Rate that plays a 100-frame cycle as middle C (261.63 Hz) at note 37.
inline constexpr uint16_t MiddleCRate = 26163;
inline constexpr int CycleFrames = 100;

TWriterSample MakeKick();   // 8-bit raw, falling sine
TWriterSample MakeSnare();  // 8-bit packed, noise and tone
TWriterSample MakeHihat();  // 8-bit raw, bright noise
TWriterSample MakeBass();   // 16-bit packed, looped saw with a soft edge
TWriterSample MakeLead();   // 8-bit raw, looped pulse
TWriterSample MakePad();    // 16-bit stereo packed, looped detuned saws
TWriterSample MakePluck();  // 8-bit packed, plucked string
TWriterSample MakeChop();   // 8-bit raw, four vowel-like tones with a cue point at each
