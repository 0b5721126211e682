#pragma once
// Constant tables of the MPEG audio frame header (version 1 = MPEG-1, 0 = MPEG-2).

#include <cstdint>

// Sampling rate in Hz by version and sampling-frequency index. Index 3 is reserved;
// its entry 1 only keeps divisions defined.
// clang-format off
inline constexpr int32_t FrequencyTable[2][4] = {
    {22050, 24000, 16000, 1},
    {44100, 48000, 32000, 1},
};

// Bit rate in bit/s by version, layer - 1 and bit-rate index (0 free format, 15 forbidden).
inline constexpr int32_t BitrateTable[2][3][16] = {
    {
        {0, 32000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 176000, 192000, 224000, 256000, 0},
        {0, 8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 0},
        {0, 8000, 16000, 24000, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 144000, 160000, 0},
    },
    {
        {0, 32000, 64000, 96000, 128000, 160000, 192000, 224000, 256000, 288000, 320000, 352000, 384000, 416000, 448000, 0},
        {0, 32000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 384000, 0},
        {0, 32000, 40000, 48000, 56000, 64000, 80000, 96000, 112000, 128000, 160000, 192000, 224000, 256000, 320000, 0},
    },
};

// Frame duration in ms by layer - 1 and sampling-frequency index 0..2 (the MPEG-1 values).
inline constexpr double FrameDurationTable[3][3] = {
    {8.707483, 8.0, 12.0},
    {26.12245, 24.0, 36.0},
    {26.12245, 24.0, 36.0},
};
// clang-format on
