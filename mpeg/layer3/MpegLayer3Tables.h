#pragma once
// Constant and computed tables of Layer III decoding (ISO/IEC 11172-3 and, for the
// low sampling frequencies, ISO/IEC 13818-3).

#include <cstdint>

inline constexpr int GranuleLines = 576;  // frequency lines of one granule and channel
inline constexpr int SubbandLines = 18;   // lines of one polyphase subband
inline constexpr int LongBands = 23;      // long-block scale-factor band boundaries, 576 last
inline constexpr int ShortBands = 14;     // short-block boundaries, 192 last
inline constexpr int NoIntensity = 7;     // intensity position of a line coded without intensity

// Scale-factor band boundaries (lines) by table index: 0..2 for 22050, 24000 and
// 16000 Hz, 3..5 for 44100, 48000 and 32000 Hz.
struct TBandTable {
    int16_t Long[LongBands];    // long-block band starts, then 576
    int16_t Short[ShortBands];  // short-block band starts (per window), then 192
};
extern const TBandTable BandTables[6];

// slen1 and slen2 by MPEG-1 scalefac_compress.
extern const uint8_t ScaleFactorLengths[2][16];
// Pre-emphasis added to the long-band scale factors when preflag is set.
extern const uint8_t PreEmphasis[LongBands];
// MPEG-2 scale factors per partition by partition kind (0..5), block kind (0 long,
// 1 short, 2 mixed) and partition.
extern const uint8_t PartitionSizes[6][3][4];
// MPEG-1 intensity ratios tan(i pi / 12); i = 6 stands for an infinite ratio.
extern const float IntensityRatios[16];

// Tables computed once: powers, antialias butterflies, MPEG-2 intensity factors.
struct TLayer3Math {
    TLayer3Math();

    static constexpr int PowerTableSize = 15 + 8191 + 1;  // every magnitude a code with linbits gives
    float Power43[PowerTableSize];                        // i^(4/3)
    float PowerOfTwo[40];                                 // 2^(-i/2)
    float GlobalGain[256];                                // 2^((i - 210) / 4), the quantiser step of global_gain i
    float AntialiasCs[8];                                 // 1 / sqrt(1 + ci^2)
    float AntialiasCa[8];                                 // ci / sqrt(1 + ci^2)
    float IntensityFactors[2][32];                        // MPEG-2 intensity: 2^(-i/4) and 2^(-i/2)
};
const TLayer3Math& Layer3Math();

inline constexpr float MsFactor = 0.70710677f;  // 1 / sqrt(2), for mid/side stereo
