#pragma once
// The songs the render benchmarks play: the bundled example song and songs
// made in memory whose load on the mixer is known.

#include <memory>
#include <string>

#include "player/DmfSong.h"

// First .dmf file of the examples folder in name order, empty when none.
std::string ExampleSongPath();

// Which notes the tracks of a synthetic song play.
enum class TSyntheticNotes {
    // A new note every 32 rows on every track.
    Every32Rows,
    // One note per track on the first row, held to the end: every voice
    // sounds on every tick.
    HeldFromTheStart,
};

// One pattern of Tracks tracks and 1024 rows (about a minute at 60 ticks per
// second), its notes cycling through four looped samples: all 16-bit stereo
// when AllStereo16, else one of each frame format. Panning spreads the
// tracks from left to right.
std::unique_ptr<TDmf> SyntheticSong(int Tracks, bool AllStereo16, TSyntheticNotes Notes = TSyntheticNotes::Every32Rows);
