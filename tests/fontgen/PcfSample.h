#pragma once
// Writes small PCF fonts for the reader's tests, in any of the format's
// storage layouts.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TPcfLayout {
    bool ByteMsb = true;  // multi-byte numbers, most significant byte first
    bool BitMsb = true;   // leftmost pixel in the most significant bit
    int RowPad = 4;       // bitmap rows padded to 1, 2, 4 or 8 bytes
    int ScanUnit = 1;     // bytes swapped in units of 1, 2 or 4
    bool CompressedMetrics = true;
};

struct TPcfSampleGlyph {
    uint32_t Code = 0;  // row << 8 | column
    int Left = 0, Advance = 0, Ascent = 0;
    std::vector<std::string> Rows;  // '#' = ink, all of one length
};

struct TPcfSample {
    int Ascent = 0, Descent = 0;
    uint16_t DefaultCode = 0;
    std::vector<TPcfSampleGlyph> Glyphs;
    std::map<std::string, std::string> StringProperties;
    std::map<std::string, int32_t> NumberProperties;
};

std::vector<uint8_t> WritePcf(const TPcfSample& Sample, const TPcfLayout& Layout);
