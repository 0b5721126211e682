#pragma once
// Decoding of one Layer III Huffman code word from the bit reservoir.

#include "mpeg/layer3/MpegBitReserve.h"
#include "mpeg/layer3/MpegHuffmanTables.h"

// Result of HuffmanDecode (below).
inline constexpr int HuffmanDecoded = 0;  // a code word (or a walk off the tree) was read
inline constexpr int HuffmanNoTree = 2;   // the table has no codes: x, y := 0, nothing read

// The values of one code word: x, y of a pair, or v, w, x, y of a quadruple.
struct THuffmanValues {
    int X = 0, Y = 0, V = 0, W = 0;
};

// The values of a code longer than the lookup: the rest is walked through the tree
// bit by bit. A walk that leaves the tree answers Previous.
THuffmanValues HuffmanDecodeLong(const THuffmanTable& Table, THuffmanValues Previous, TBitReserve& Reservoir);

// Most bits a code within the lookup takes with its linbits and sign bits.
inline constexpr int HuffmanShortCodeBits = HuffmanLookupBits + 2 * (13 + 1);

// Decodes a code that ends within the lookup from Bits, the next bits at the top
// (at least HuffmanShortCodeBits of them valid), with its linbits and sign bits.
// Returns the bits taken, or 0 for a longer code, leaving the values untouched.
inline int HuffmanDecodeShort(const THuffmanTable& Table, uint64_t Bits, THuffmanValues& Values)
{
    const THuffmanLookup& entry = Table.Lookup[Bits >> (64 - HuffmanLookupBits)];
    int used = entry.Length;
    if (used == 0) {
        return 0;
    }
    // Most codes come with their signs resolved by the lookup.
    const uint32_t resolved = entry.Position;
    if (resolved != 0) {
        if (Table.Quadruple) {
            Values.V = HuffmanResolvedValue(resolved, 4, 2);
            Values.W = HuffmanResolvedValue(resolved, 6, 2);
            Values.X = HuffmanResolvedValue(resolved, 8, 2);
            Values.Y = HuffmanResolvedValue(resolved, 10, 2);
        } else {
            Values.X = HuffmanResolvedValue(resolved, 4, 5);
            Values.Y = HuffmanResolvedValue(resolved, 9, 5);
        }
        return static_cast<int>(resolved & HuffmanResolvedBitsMask);
    }
    // A nonzero value is followed by its sign bit, 1 meaning negative (no branch:
    // signs are unpredictable).
    auto withSign = [&](int Value) {
        const int nonZero = Value != 0;
        const int negative = static_cast<int>((Bits << used) >> 63) & nonZero;
        used += nonZero;
        return (Value ^ -negative) + negative;
    };
    // The largest value is followed by its linbits (none in a table without them),
    // also without a branch: a count of 0 adds nothing.
    auto extended = [&](int Value, int Largest) {
        const int count = Value == Largest ? Table.LinBits : 0;
        Value += static_cast<int>(((Bits << used) >> 1) >> (63 - count));
        used += count;
        return withSign(Value);
    };
    const int leaf = entry.Leaf;
    if (Table.Quadruple) {
        Values.V = withSign((leaf >> 3) & 1);
        Values.W = withSign((leaf >> 2) & 1);
        Values.X = withSign((leaf >> 1) & 1);
        Values.Y = withSign(leaf & 1);
    } else {
        Values.X = extended(leaf >> 4, Table.XLen - 1);
        Values.Y = extended(leaf & 15, Table.YLen - 1);
    }
    return used;
}

// The reservoir's next bits held in a register across a run of codes and
// refilled only when a code might reach past them: the next bit is the top bit
// of Next(). The reservoir lags behind by the bits taken since the last refill
// until Settle.
class THuffmanBitWindow {
public:
    static_assert(HuffmanShortCodeBits <= TBitReserve::WindowBits);

    explicit THuffmanBitWindow(TBitReserve& Reservoir) : Reservoir(Reservoir), Window(Reservoir.PeekWindow()) { }

    // The next bits, at least as many valid as the last Refill asked for.
    uint64_t Next() const { return Window << Taken; }
    // Makes at least Bits (up to TBitReserve::WindowBits) valid at Next.
    void Refill(int Bits)
    {
        if (Taken > TBitReserve::WindowBits - Bits) {
            Settle();
        }
    }
    // Takes Bits of those valid at Next.
    void Take(int Bits) { Taken += Bits; }
    // The reservoir's BitsRead with the bits taken.
    int32_t BitsRead() const { return Reservoir.BitsRead() + Taken; }
    // Any code of Table (a table with codes) into Values, with its linbits and
    // sign bits; a walk that leaves the tree keeps Values.
    void Decode(const THuffmanTable& Table, THuffmanValues& Values)
    {
        Refill(HuffmanShortCodeBits);
        const int used = HuffmanDecodeShort(Table, Next(), Values);
        if (used != 0) {
            Taken += used;
            return;
        }
        Reservoir.SkipBits(Taken);
        Taken = 0;
        Values = HuffmanDecodeLong(Table, Values, Reservoir);
        Window = Reservoir.PeekWindow();
    }
    // Skips the bits taken in the reservoir and holds its next ones.
    void Settle()
    {
        Reservoir.SkipBits(Taken);
        Taken = 0;
        Window = Reservoir.PeekWindow();
    }

private:
    TBitReserve& Reservoir;
    uint64_t Window;  // the reservoir's next bits at the last refill
    int Taken = 0;    // bits of Window taken since
};

// Decodes one pair x, y (big-value tables) or one quadruple v, w, x, y (tables 32
// and 33), with linbits and sign bits. A walk that leaves the tree keeps the
// previous values of x and y. The first bits are resolved by the table's lookup and
// the rest by the tree, one bit per step, so the bits consumed are the walk's.
// Kept as the decoder's interface names it, for the tests: the granule's loop
// (TLayer3Decoder::DecodeHuffman) decodes a run of codes from one bit window.
inline int HuffmanDecode(const THuffmanTable& Table, int& X, int& Y, int& V, int& W, TBitReserve& Reservoir)
{
    if (Table.Tree == nullptr) {
        X = 0;
        Y = 0;
        return HuffmanNoTree;
    }
    THuffmanValues values{X, Y, V, W};
    THuffmanBitWindow bits(Reservoir);
    bits.Decode(Table, values);
    bits.Settle();
    X = values.X;
    Y = values.Y;
    V = values.V;
    W = values.W;
    return HuffmanDecoded;
}
