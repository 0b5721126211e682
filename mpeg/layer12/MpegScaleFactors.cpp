#include "mpeg/layer12/MpegScaleFactors.h"

#include <cmath>
#include <cstddef>

namespace {

std::array<float, ScaleFactorCount> MakeScaleFactors()
{
    std::array<float, ScaleFactorCount> table{};
    for (int i = 0; i < ScaleFactorCount - 1; ++i) {
        table[static_cast<size_t>(i)] = static_cast<float>(std::exp2(1.0 - i / 3.0));
    }
    table[ScaleFactorCount - 1] = 0.0f;
    return table;
}

}  // namespace

const std::array<float, ScaleFactorCount> ScaleFactorTable = MakeScaleFactors();
