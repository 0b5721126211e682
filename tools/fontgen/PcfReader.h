#pragma once
// Reads a font in the X server's portable compiled format (PCF, uncompressed):
// glyph metrics and bitmaps, the code-to-glyph table, the line's ascent and
// descent, and the font's properties.

#include <cstdint>
#include <span>

#include "tools/fontgen/BitmapFont.h"

// Throws TFontError for anything that is not a well-formed PCF font.
TBitmapFont ReadPcfFont(std::span<const uint8_t> Data);
