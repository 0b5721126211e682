#pragma once
// A bitmap font as the font generator sees it: one line height and the glyphs
// by their code in the font's own encoding.

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A font file that cannot be read or a font that cannot be written.
class TFontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TBitmapGlyph {
    int Advance = 0;  // pen movement to the next glyph
    int Left = 0;     // left side bearing: the bitmap's first column, from the pen
    int Ascent = 0;   // rows of the bitmap above the baseline
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;  // Width * Height, row by row, 1 = ink

    bool Ink(int X, int Y) const
    {
        return Pixels[static_cast<size_t>(Y) * static_cast<size_t>(Width) + static_cast<size_t>(X)] != 0;
    }
};

struct TBitmapFont {
    int Ascent = 0;   // rows above the baseline
    int Descent = 0;  // rows below it
    std::map<uint32_t, TBitmapGlyph> Glyphs;
    std::optional<uint32_t> DefaultChar;            // shown for a code without glyph
    std::map<std::string, std::string> Properties;  // numbers as decimal text
};
