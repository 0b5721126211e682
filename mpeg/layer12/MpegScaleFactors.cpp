#include "mpeg/layer12/MpegScaleFactors.h"

#include <cmath>
#include <cstddef>

namespace {

std::array<float, ScaleFactorCount> MakeScaleFactors()
{
    std::array<float, ScaleFactorCount> Table{};
    for (int I = 0; I < ScaleFactorCount - 1; ++I) Table[size_t(I)] = float(std::exp2(1.0 - I / 3.0));
    Table[ScaleFactorCount - 1] = 0.0f;
    return Table;
}

}  // namespace

const std::array<float, ScaleFactorCount> ScaleFactorTable = MakeScaleFactors();
