#pragma once
// What Winamp 5's media library, playlist and title formatting ask of a file
// by field name (winampGetExtendedFileInfo): the song's name, composer,
// message and length, the format it plays as (at the output rate of the
// sound settings in force when asked), and a few lines on the module.

#include <string>

// The text of Field (its name matched without regard to case) for the file
// Name, in the song's own 8-bit characters; empty when the field is unknown,
// has no value (a song without a name), or the file holds no module. "type"
// and "family" come from the name alone, every other field from the file's
// information load (no sample data); an unknown field loads nothing.
std::string ExtendedFieldText(const char* Name, const char* Field);
std::string ExtendedFieldText(const wchar_t* Name, const char* Field);
