#pragma once
// Whether a font face can be had in this process, as a program choosing a
// font would find it.

#include <string>

inline constexpr const char* SongFontFace = "Quorlith vuravi  ";  // two trailing blanks

// True when the system lists a family of exactly that face.
bool FontFaceListed(const std::string& Face);
// The face the system gives for a font asked for by that face name (another
// face when it has none of that name).
std::string FaceGivenFor(const std::string& Face, int Height);
