#pragma once
// The Layer III Huffman codes as the standard lists them: one list per distinct
// code tree (the tables with linbits share the tree of 16 or 24).

#include <cstdint>

struct THuffmanCodeList {
    int TableNumber;         // the table that defines the codes (1..33)
    int XLen;                // number of x values (1 for the count1 tables 32 and 33)
    int YLen;                // number of y values (16 quadruples for tables 32 and 33)
    const uint16_t* Codes;   // code bits by symbol x * YLen + y, right-aligned
    const uint8_t* Lengths;  // code length in bits by symbol
};

inline constexpr int HuffmanCodeListCount = 17;
extern const THuffmanCodeList HuffmanCodeLists[HuffmanCodeListCount];
