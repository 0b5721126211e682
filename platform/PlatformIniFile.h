#pragma once
// A settings file of sections and keys, as Windows' profile functions read and
// write it (Winamp's winamp.ini is one):
//
//   [Section]
//   Key=Value
//   ; a comment
//
// Section and key names match in any case; the blanks around a name or a
// value, and the quotes around a quoted value, are not part of it; a key
// without a value counts as missing; the first section and the first key of a
// name are the ones read and written. PlatformIniFileWin32.cpp calls Windows'
// own functions. PlatformIniFileNative.cpp reads and writes the format itself:
// a write changes only the lines of the keys it sets (or adds them, or the
// section, at its end) and keeps every other byte of the file, and the file is
// replaced whole, so that a failure part way leaves it as it was.

#include <string>
#include <string_view>
#include <vector>

struct TIniEntry {
    std::string Key;
    std::string Value;
    bool operator==(const TIniEntry&) const = default;
};

// The entries of Section in the file at Path whose keys are among Keys, in
// the order of Keys; a key the section does not hold is left out (and so is
// every key when the file has no such section). False when the file cannot be
// read (none there, a folder, no permission).
bool PlatformReadIniEntries(const std::string& Path, const std::string& Section, const std::vector<std::string>& Keys,
                            std::vector<TIniEntry>& Found);

// Sets each of Entries in Section of the file at Path: the section and the
// file are made when missing. False when the file cannot be written (or an
// entry holds a line break, a key an '=', which the format cannot carry).
bool PlatformWriteIniEntries(const std::string& Path, const std::string& Section,
                             const std::vector<TIniEntry>& Entries);

// True when the format carries Section and every entry as they are: names
// that are not empty, begin with no '[' or ';' nor a blank, and hold no ']',
// '=' or blank at their end; no line break or NUL anywhere. Both bodies
// write nothing otherwise.
bool PlatformIniCarries(const std::string& Section, const std::vector<TIniEntry>& Entries);
