#include "mpeg/layer3/MpegHuffman.h"

namespace {

// Finds the leaf byte of the next code word; false when the bits lead off the tree.
bool ReadLeaf(const THuffmanTable& Table, TBitReserve& Reservoir, int& Leaf)
{
    const THuffmanLookup& Entry = Table.Lookup[Reservoir.PeekBits(HuffmanLookupBits)];
    if (Entry.Length != 0) {
        Reservoir.SkipBits(Entry.Length);
        Leaf = Entry.Leaf;
        return true;
    }
    Reservoir.SkipBits(HuffmanLookupBits);
    int Position = Entry.Position;
    // No code is longer than 32 bits; the counter bounds a walk whatever the tree.
    for (uint32_t Level = 1u << (31 - HuffmanLookupBits); Table.Tree[Position].Byte[0] != 0; Level >>= 1) {
        if (Level == 0)
            return false;
        const int Bit = static_cast<int>(Reservoir.PeekBits(1));
        Reservoir.SkipBits(1);
        int Offset = Table.Tree[Position].Byte[Bit];
        while (Offset >= HuffmanExtension) {
            Position += Offset;
            if (Position >= Table.TreeLength)
                return false;
            Offset = Table.Tree[Position].Byte[Bit];
        }
        Position += Offset;
        if (Position >= Table.TreeLength)
            return false;
    }
    Leaf = Table.Tree[Position].Byte[1];
    return true;
}

// A nonzero value is followed by its sign bit, 1 meaning negative.
int ApplySign(int Value, TBitReserve& Reservoir)
{
    if (Value == 0)
        return 0;
    const bool Negative = Reservoir.PeekBits(1) != 0;
    Reservoir.SkipBits(1);
    return Negative ? -Value : Value;
}

}  // namespace

int HuffmanDecodeLong(const THuffmanTable& Table, int& X, int& Y, int& V, int& W, TBitReserve& Reservoir)
{
    int Leaf = 0;
    if (!ReadLeaf(Table, Reservoir, Leaf))
        return HuffmanDecoded;
    if (Table.Quadruple) {
        V = ApplySign((Leaf >> 3) & 1, Reservoir);
        W = ApplySign((Leaf >> 2) & 1, Reservoir);
        X = ApplySign((Leaf >> 1) & 1, Reservoir);
        Y = ApplySign(Leaf & 1, Reservoir);
        return HuffmanDecoded;
    }
    X = Leaf >> 4;
    Y = Leaf & 15;
    if (Table.LinBits > 0 && X == Table.XLen - 1)
        X += static_cast<int>(Reservoir.ReadBits(Table.LinBits));
    X = ApplySign(X, Reservoir);
    if (Table.LinBits > 0 && Y == Table.YLen - 1)
        Y += static_cast<int>(Reservoir.ReadBits(Table.LinBits));
    Y = ApplySign(Y, Reservoir);
    return HuffmanDecoded;
}
