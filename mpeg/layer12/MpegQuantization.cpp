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
        for (int A = 1; A < MaxAllocation; ++A) {
            const double Steps = std::exp2(A + 1) - 1.0;
            Factor[A] = float(2.0 / Steps);
            Offset[A] = float((2.0 - std::exp2(A + 1)) / Steps);
        }
    }
};

// Grouping table of a class: for every code of its width, three values
// (2s - (n - 1)) / n of the samples s0 + n s1 + n^2 s2 = code; codes beyond n^3 - 1 stay 0.
struct TGroupTable {
    int Levels = 0;             // quantisation levels of each sample
    std::vector<float> Values;  // three values per code of the class's width

    TGroupTable(int N, int CodeLength) : Levels(N), Values(size_t(3) << CodeLength, 0.0f)
    {
        for (int Code = 0; Code < N * N * N; ++Code) {
            int Rest = Code;
            for (int K = 0; K < 3; ++K) {
                Values[size_t(3 * Code + K)] = float(double(2 * (Rest % N) - (N - 1)) / N);
                Rest /= N;
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
        for (int Set = 0; Set < QuantClassSets; ++Set)
            for (size_t A = 0; A < SetLevels[Set].size(); ++A) Classes[size_t(Set)][A + 1] = Make(SetLevels[Set][A]);
    }

    TQuantClass Make(int Levels) const
    {
        TQuantClass Class;
        if (Levels == 3 || Levels == 5 || Levels == 9) {
            const TGroupTable& Group = Levels == 3 ? Group3 : Levels == 5 ? Group5 : Group9;
            Class.CodeLength = Levels == 3 ? 5 : Levels == 5 ? 7 : 10;
            Class.GroupTable = Group.Values.data();
            Class.FractionFactor = Levels == 3 ? 0.5f : Levels == 5 ? 0.25f : 0.125f;
            Class.ClassC = float(Levels == 3 ? 4.0 / 3.0 : Levels == 5 ? 8.0 / 5.0 : 16.0 / 9.0);
            Class.ClassD = 0.5f;
            return Class;
        }
        int Bits = 0;
        while ((1 << Bits) - 1 < Levels) ++Bits;
        Class.CodeLength = Bits;
        Class.FractionFactor = float(std::exp2(-(Bits - 1)));
        Class.ClassC = float(std::exp2(Bits) / (std::exp2(Bits) - 1.0));
        Class.ClassD = float(std::exp2(-(Bits - 1)));
        return Class;
    }
};

const TQuantTables& Tables()
{
    static const TQuantTables Instance;
    return Instance;
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
    static const TQuantClass Empty;
    if (Set < 1 || Set > QuantClassSets || Allocation < 0 || Allocation > MaxAllocation) return Empty;
    return Tables().Classes[size_t(Set - 1)][size_t(Allocation)];
}

const float* GroupedValues(int Levels, uint32_t Code)
{
    const TQuantTables& T = Tables();
    const TGroupTable* Group = Levels == 3 ? &T.Group3 : Levels == 5 ? &T.Group5 : Levels == 9 ? &T.Group9 : nullptr;
    if (!Group || size_t(Code) * 3 >= Group->Values.size()) return nullptr;
    return Group->Values.data() + size_t(Code) * 3;
}
