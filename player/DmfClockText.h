#pragma once
// A time of a song as people read it, in every program's words: the length
// and position that morvel prints and that Winamp 5's media library shows.

#include <cstdint>
#include <string>

// "m:ss" of a time in milliseconds (minutes as many digits as needed), the
// seconds cut, not rounded; a negative time reads as 0:00.
std::string ClockText(int32_t Milliseconds);
