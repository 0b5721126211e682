#include "mpeg/layer3/MpegLayer3Tables.h"

#include <cmath>

// clang-format off
const TBandTable BandTables[6] = {
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232, 278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
};

const uint8_t ScaleFactorLengths[2][16] = {
    {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
    {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3},
};

const uint8_t PreEmphasis[LongBands] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0, 0};

const uint8_t PartitionSizes[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

const float IntensityRatios[16] = {
    0.0f,           0.26794919f,  0.57735027f,  1.0f,         1.73205081f,  3.73205081f,
    99999997952.0f, -3.73205081f, -1.73205081f, -1.0f,        -0.57735027f, -0.26794919f,
    0.0f,           0.26794919f,  0.57735027f,  1.0f,
};
// clang-format on

TLayer3Math::TLayer3Math()
{
    for (int i = 0; i < PowerTableSize; ++i) {
        Power43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
    }
    for (int i = 0; i < 256; ++i) {
        GlobalGain[i] = static_cast<float>(std::pow(2.0, 0.25 * (i - 210)));
    }
    for (int i = 0; i < 40; ++i) {
        PowerOfTwo[i] = static_cast<float>(std::pow(2.0, -0.5 * i));
    }
    for (int i = 0; i < 32; ++i) {
        IntensityFactors[0][i] = static_cast<float>(std::pow(2.0, -i / 4.0));
        IntensityFactors[1][i] = static_cast<float>(std::pow(2.0, -i / 2.0));
    }
    const float ci[8] = {-0.6f, -0.535f, -0.33f, -0.185f, -0.095f, -0.041f, -0.0142f, -0.0037f};
    for (int i = 0; i < 8; ++i) {
        const float root = std::sqrt(1.0f + ci[i] * ci[i]);
        AntialiasCs[i] = 1.0f / root;
        AntialiasCa[i] = ci[i] / root;
    }
}

const TLayer3Math& Layer3Math()
{
    // Built in place: the power table is too large for a temporary on a thread's stack.
    static const TLayer3Math math;
    return math;
}
