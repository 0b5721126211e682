#include "mpeg/layer3/MpegHuffman.h"

namespace {

// Finds the leaf byte of the next code word; false when the bits lead off the tree.
bool ReadLeaf(const THuffmanTable& Table, TBitReserve& Reservoir, int& Leaf)
{
    const THuffmanLookup& entry = Table.Lookup[Reservoir.PeekBits(HuffmanLookupBits)];
    if (entry.Length != 0) {
        Reservoir.SkipBits(entry.Length);
        Leaf = entry.Leaf;
        return true;
    }
    Reservoir.SkipBits(HuffmanLookupBits);
    int position = entry.Position;
    // No code is longer than 32 bits; the counter bounds a walk whatever the tree.
    for (uint32_t level = 1u << (31 - HuffmanLookupBits); Table.Tree[position].Byte[0] != 0; level >>= 1) {
        if (level == 0) {
            return false;
        }
        const int bit = static_cast<int>(Reservoir.PeekBits(1));
        Reservoir.SkipBits(1);
        int offset = Table.Tree[position].Byte[bit];
        while (offset >= HuffmanExtension) {
            position += offset;
            if (position >= Table.TreeLength) {
                return false;
            }
            offset = Table.Tree[position].Byte[bit];
        }
        position += offset;
        if (position >= Table.TreeLength) {
            return false;
        }
    }
    Leaf = Table.Tree[position].Byte[1];
    return true;
}

// A nonzero value is followed by its sign bit, 1 meaning negative.
int ApplySign(int Value, TBitReserve& Reservoir)
{
    if (Value == 0) {
        return 0;
    }
    const bool negative = Reservoir.PeekBits(1) != 0;
    Reservoir.SkipBits(1);
    return negative ? -Value : Value;
}

}  // namespace

THuffmanValues HuffmanDecodeLong(const THuffmanTable& Table, THuffmanValues Previous, TBitReserve& Reservoir)
{
    int leaf = 0;
    if (!ReadLeaf(Table, Reservoir, leaf)) {
        return Previous;
    }
    THuffmanValues values = Previous;
    if (Table.Quadruple) {
        values.V = ApplySign((leaf >> 3) & 1, Reservoir);
        values.W = ApplySign((leaf >> 2) & 1, Reservoir);
        values.X = ApplySign((leaf >> 1) & 1, Reservoir);
        values.Y = ApplySign(leaf & 1, Reservoir);
        return values;
    }
    int x = leaf >> 4;
    int y = leaf & 15;
    if (Table.LinBits > 0 && x == Table.XLen - 1) {
        x += static_cast<int>(Reservoir.ReadBits(Table.LinBits));
    }
    values.X = ApplySign(x, Reservoir);
    if (Table.LinBits > 0 && y == Table.YLen - 1) {
        y += static_cast<int>(Reservoir.ReadBits(Table.LinBits));
    }
    values.Y = ApplySign(y, Reservoir);
    return values;
}
