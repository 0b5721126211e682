#pragma once
// Decoding of one Layer III Huffman code word from the bit reservoir.

#include "mpeg/MpegBitReserve.h"
#include "mpeg/MpegHuffmanTables.h"

// Result of HuffmanDecode.
inline constexpr int HuffmanDecoded = 0;   // a code word (or a walk off the tree) was read
inline constexpr int HuffmanNoTree = 2;    // the table has no codes: x, y := 0, nothing read

// Decodes one pair x, y (big-value tables) or one quadruple v, w, x, y (tables 32
// and 33), with linbits and sign bits. A walk that leaves the tree keeps the
// previous values of x and y. The first bits are resolved by the table's lookup and
// the rest by the tree, one bit per step, so the bits consumed are the walk's.
int HuffmanDecode(const THuffmanTable& Table, int& X, int& Y, int& V, int& W, TBitReserve& Reservoir);
