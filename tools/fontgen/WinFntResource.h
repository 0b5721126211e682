#pragma once
// Writes a Windows raster font resource (FNT, version 2.0): the header that GDI
// matches fonts by, a table of character widths and bitmap offsets, and each
// character's bitmap in columns of bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/fontgen/BitmapFont.h"

struct TFntOptions {
    std::string Face;       // at most 31 characters, kept exactly (blanks included)
    std::string Copyright;  // at most 60 characters
    uint8_t FirstChar = 0x20;
    uint8_t LastChar = 0xFF;
    uint8_t CharSet = 0;  // ANSI_CHARSET
    int Resolution = 96;  // pixels per inch, both ways
};

// Every code from FirstChar to LastChar without a glyph of its own shows the
// font's default glyph. Throws TFontError when a glyph's ink leaves its cell,
// a code has neither glyph nor default, or the result outgrows the format.
std::vector<uint8_t> BuildFntResource(const TBitmapFont& Font, const TFntOptions& Options);
