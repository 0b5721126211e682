#pragma once
// Three-minute MPEG streams of the example song, made at bench time by
// bench/make-song-streams.sh (the song rendered by the morvel program, looped,
// then encoded by twolame and lame) into the build folder, once.

#include <string>

// A 192 kbit/s joint-stereo Layer II stream; empty when it could not be made.
std::string SongStreamLayer2();
// A 128 kbit/s stereo Layer III stream; empty when it could not be made.
std::string SongStreamLayer3();
