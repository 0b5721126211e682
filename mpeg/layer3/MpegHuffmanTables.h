#pragma once
// The 34 Layer III Huffman tables as decoding trees. Each tree is an array of byte
// pairs: a pair whose first byte is 0 is a leaf holding x in its high nibble and y
// in its low nibble (the count1 tables 32 and 33 hold v, w, x, y as four bits);
// any other pair holds the forward offsets taken on a 0 bit and on a 1 bit. An
// offset of 250 or more is an extension: it is added to the position and the same
// byte of the pair found there is examined again, so every offset fits a byte.

#include <cstdint>

inline constexpr int HuffmanTableCount = 34;
inline constexpr int HuffmanLookupBits = 8;   // bits resolved by one lookup
inline constexpr int HuffmanExtension = 250;  // smallest extension offset

// One pair of the tree: a leaf or the offsets for a 0 and a 1 bit.
struct THuffmanPair {
    uint8_t Byte[2];  // 0 and the leaf, or the two branch offsets
};

// What the first lookup bits of a code lead to.
struct THuffmanLookup {
    // Length 0: the tree position reached after all lookup bits. Otherwise the
    // decoded values when the code, its sign bits and no linbits all lie within the
    // lookup bits (HuffmanResolved), else 0.
    uint16_t Position;
    uint8_t Length;  // code length when the code ends within the lookup bits, else 0
    uint8_t Leaf;    // the leaf's byte when Length is not 0
};

// A code resolved with its signs by the lookup: bits 0-3 hold the bits it takes
// with its sign bits (never 0), then the signed values: x in bits 4-8 and y in
// bits 9-13 (two's complement), or for the count1 tables v, w, x, y in two bits
// each from bit 4 on.
inline constexpr int HuffmanResolvedBitsMask = 15;
constexpr int HuffmanResolvedValue(uint32_t Resolved, int Shift, int Width)
{
    return static_cast<int32_t>(Resolved << (32 - Shift - Width)) >> (32 - Width);
}

struct THuffmanTable {
    char Name[3];                  // table number as text, "0" to "33"
    int XLen;                      // number of x values (0 for tables without codes)
    int YLen;                      // number of y values
    int LinBits;                   // extra bits read for an x or y of XLen - 1 / YLen - 1
    int LinMax;                    // largest value the extra bits can add
    int TreeOf;                    // the table whose tree this one shares, -1 for none
    bool Quadruple;                // count1 table (32, 33): a leaf codes v, w, x, y
    const THuffmanPair* Tree;      // decoding tree, nullptr for tables 0, 4 and 14
    int TreeLength;                // pairs in Tree
    const THuffmanLookup* Lookup;  // 2^HuffmanLookupBits entries, nullptr without a tree
};

// Table Number (0..33); any other number yields table 0, which decodes zeros.
const THuffmanTable& HuffmanTable(int Number);
