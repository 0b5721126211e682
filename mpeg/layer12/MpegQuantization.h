#pragma once
// Requantisation constants of Layer I and the quantisation classes of Layer II.

#include <cstdint>

// Layer I: a sample of Allocation + 1 bits requantises to code * factor + offset.
// Allocation 15 is forbidden; it decodes to silence.
float Layer1Factor(int Allocation);
float Layer1Offset(int Allocation);

// One Layer II quantisation class (a row of an allocation table).
struct TQuantClass {
    int CodeLength = 0;                 // bits per code (one code per granule when grouped)
    const float* GroupTable = nullptr;  // grouped classes: 3 final values per code, else none
    float FractionFactor = 0.0f;        // ungrouped: code * FractionFactor - 1 is the fraction
    float ClassC = 0.0f;                // requantisation factor C of the class
    float ClassD = 0.0f;                // requantisation offset D of the class
};

// Quantisation class sets. MPEG-1: 1 (subbands 0-2), 2 (3-10), 3 (11-22), 4 (23 up),
// 5 (low-rate frames, all subbands). MPEG-2 low sampling frequency: 6 (0-3), 7 (4-10), 8 (11 up).
inline constexpr int QuantClassSets = 8;
// The class of Allocation (0..15) in Set; allocation 0 and values the set does
// not define give an empty class.
const TQuantClass& QuantClass(int Set, int Allocation);

// The values of grouped code Code for a class of Levels (3, 5 or 9) levels, or null
// for another level count. Codes beyond Levels^3 - 1 (corrupt data) decode to silence.
const float* GroupedValues(int Levels, uint32_t Code);
