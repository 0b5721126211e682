#include "mpeg/layer12/MpegQuantization.h"

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int MaxAllocation = 15;

struct TLayer1Constants {
    float Factor[MaxAllocation + 1] = {};  // by allocation; 0 for 0 and the forbidden 15
    float Offset[MaxAllocation + 1] = {};  // by allocation; 0 for 0 and the forbidden 15

    TLayer1Constants()
    {
        for (int a = 1; a < MaxAllocation; ++a) {
            const double steps = std::exp2(a + 1) - 1.0;
            Factor[a] = static_cast<float>(2.0 / steps);
            Offset[a] = static_cast<float>((2.0 - std::exp2(a + 1)) / steps);
        }
    }
};

// Grouping table of a class: for every code of its width, three values
// (2s - (n - 1)) / n of the samples s0 + n s1 + n^2 s2 = code; codes beyond n^3 - 1 stay 0.
struct TGroupTable {
    int Levels = 0;             // quantisation levels of each sample
    std::vector<float> Values;  // three values per code of the class's width

    TGroupTable(int N, int CodeLength) : Levels(N), Values(static_cast<size_t>(3) << CodeLength, 0.0f)
    {
        for (int code = 0; code < N * N * N; ++code) {
            int rest = code;
            for (int k = 0; k < 3; ++k) {
                Values[static_cast<size_t>(3 * code + k)] =
                    static_cast<float>(static_cast<double>(2 * (rest % N) - (N - 1)) / N);
                rest /= N;
            }
        }
    }
};

// Levels of each class by allocation value 1, 2, ... for each set.
const std::vector<int> SetLevels[QuantClassSets] = {
    {3, 7, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535},
    {3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 65535},
    {3, 5, 7, 9, 15, 31, 65535},
    {3, 5, 65535},
    {3, 5, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767},
    {3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383},
    {3, 5, 9, 15, 31, 63, 127},
    {3, 5, 9},
};

struct TQuantTables {
    TLayer1Constants Layer1;    // Layer I requantisation
    TGroupTable Group3{3, 5};   // grouped 3-level codes (5 bits)
    TGroupTable Group5{5, 7};   // grouped 5-level codes (7 bits)
    TGroupTable Group9{9, 10};  // grouped 9-level codes (10 bits)
    // Classes by set (0-based) and allocation; allocation 0 and undefined rows stay empty.
    std::array<std::array<TQuantClass, MaxAllocation + 1>, QuantClassSets> Classes{};

    TQuantTables()
    {
        for (int set = 0; set < QuantClassSets; ++set) {
            for (size_t a = 0; a < SetLevels[set].size(); ++a) {
                Classes[static_cast<size_t>(set)][a + 1] = Make(SetLevels[set][a]);
            }
        }
    }

    TQuantClass Make(int Levels) const
    {
        TQuantClass quantClass;
        if (Levels == 3 || Levels == 5 || Levels == 9) {
            const TGroupTable& group = Levels == 3 ? Group3 : Levels == 5 ? Group5 : Group9;
            quantClass.CodeLength = Levels == 3 ? 5 : Levels == 5 ? 7 : 10;
            quantClass.GroupTable = group.Values.data();
            quantClass.FractionFactor = Levels == 3 ? 0.5f : Levels == 5 ? 0.25f : 0.125f;
            quantClass.ClassC = static_cast<float>(Levels == 3 ? 4.0 / 3.0 : Levels == 5 ? 8.0 / 5.0 : 16.0 / 9.0);
            quantClass.ClassD = 0.5f;
            return quantClass;
        }
        int bits = 0;
        while ((1 << bits) - 1 < Levels) {
            ++bits;
        }
        quantClass.CodeLength = bits;
        quantClass.FractionFactor = static_cast<float>(std::exp2(-(bits - 1)));
        quantClass.ClassC = static_cast<float>(std::exp2(bits) / (std::exp2(bits) - 1.0));
        quantClass.ClassD = static_cast<float>(std::exp2(-(bits - 1)));
        return quantClass;
    }
};

const TQuantTables& Tables()
{
    static const TQuantTables instance;
    return instance;
}

const TQuantTables& StartUpTables = Tables();  // built at start-up, before any decoding

}  // namespace

float Layer1Factor(int Allocation)
{
    return Allocation >= 0 && Allocation <= MaxAllocation ? StartUpTables.Layer1.Factor[Allocation] : 0.0f;
}

float Layer1Offset(int Allocation)
{
    return Allocation >= 0 && Allocation <= MaxAllocation ? StartUpTables.Layer1.Offset[Allocation] : 0.0f;
}

const TQuantClass& QuantClass(int Set, int Allocation)
{
    static const TQuantClass empty;
    if (Set < 1 || Set > QuantClassSets || Allocation < 0 || Allocation > MaxAllocation) {
        return empty;
    }
    return Tables().Classes[static_cast<size_t>(Set - 1)][static_cast<size_t>(Allocation)];
}

const float* GroupedValues(int Levels, uint32_t Code)
{
    const TQuantTables& t = Tables();
    const TGroupTable* group = Levels == 3 ? &t.Group3 : Levels == 5 ? &t.Group5 : Levels == 9 ? &t.Group9 : nullptr;
    if (!group || static_cast<size_t>(Code) * 3 >= group->Values.size()) {
        return nullptr;
    }
    return group->Values.data() + static_cast<size_t>(Code) * 3;
}
