#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "mpeg/layer3/MpegHuffman.h"
#include "mpeg/layer3/MpegHuffmanCodes.h"
#include "tests/support/BitWriter.h"

namespace {

const THuffmanCodeList& ListOf(int TableNumber)
{
    for (const THuffmanCodeList& List : HuffmanCodeLists)
        if (List.TableNumber == TableNumber)
            return List;
    return HuffmanCodeLists[0];
}

void PutSymbol(TBitWriter& Writer, int TableNumber, int X, int Y)
{
    const THuffmanCodeList& List = ListOf(TableNumber);
    Writer.Put(List.Codes[X * List.YLen + Y], List.Lengths[X * List.YLen + Y]);
}

}  // namespace

TEST(HuffmanDecode, LinbitsFollowTheLargestValueBeforeItsSign)
{
    // Table 16 (1 linbit) and table 23 (13 linbits, tree of 16): x = 15 + extra, y = 15 + extra.
    TBitWriter Writer;
    PutSymbol(Writer, 16, 15, 3);
    Writer.Put(1, 1);        // linbits of x
    Writer.Put(1, 1);        // x negative
    Writer.Put(0, 1);        // y positive
    PutSymbol(Writer, 16, 15, 15);
    Writer.Put(8191, 13);
    Writer.Put(0, 1);
    Writer.Put(1234, 13);
    Writer.Put(1, 1);
    auto Reservoir = std::make_unique<TBitReserve>();
    Writer.CopyTo(*Reservoir);
    int X = 0, Y = 0, V = 0, W = 0;
    HuffmanDecode(HuffmanTable(16), X, Y, V, W, *Reservoir);
    EXPECT_EQ(X, -16);
    EXPECT_EQ(Y, 3);
    HuffmanDecode(HuffmanTable(23), X, Y, V, W, *Reservoir);
    EXPECT_EQ(X, 15 + 8191);
    EXPECT_EQ(Y, -(15 + 1234));
    EXPECT_EQ(Reservoir->BitsRead(), Writer.BitCount);
}

TEST(HuffmanDecode, ValueFifteenWithoutLinbitsReadsNoExtraBits)
{
    TBitWriter Writer;
    PutSymbol(Writer, 15, 15, 0);
    Writer.Put(1, 1);
    auto Reservoir = std::make_unique<TBitReserve>();
    Writer.CopyTo(*Reservoir);
    int X = 0, Y = 0, V = 0, W = 0;
    HuffmanDecode(HuffmanTable(15), X, Y, V, W, *Reservoir);
    EXPECT_EQ(X, -15);
    EXPECT_EQ(Y, 0);
    EXPECT_EQ(Reservoir->BitsRead(), Writer.BitCount);
}

TEST(HuffmanDecode, QuadrupleTablesSignEachNonzeroValue)
{
    TBitWriter Writer;
    PutSymbol(Writer, 32, 0, 0b1011);
    Writer.Put(0b101, 3);    // v negative, x positive, y negative
    PutSymbol(Writer, 33, 0, 0b0100);
    Writer.Put(1, 1);
    auto Reservoir = std::make_unique<TBitReserve>();
    Writer.CopyTo(*Reservoir);
    int X = 9, Y = 9, V = 9, W = 9;
    HuffmanDecode(HuffmanTable(32), X, Y, V, W, *Reservoir);
    EXPECT_EQ(V, -1);
    EXPECT_EQ(W, 0);
    EXPECT_EQ(X, 1);
    EXPECT_EQ(Y, -1);
    HuffmanDecode(HuffmanTable(33), X, Y, V, W, *Reservoir);
    EXPECT_EQ(V, 0);
    EXPECT_EQ(W, -1);
    EXPECT_EQ(X, 0);
    EXPECT_EQ(Y, 0);
    EXPECT_EQ(Reservoir->BitsRead(), Writer.BitCount);
}

TEST(HuffmanDecode, TablesWithoutCodesGiveZerosAndReadNothing)
{
    auto Reservoir = std::make_unique<TBitReserve>();
    Reservoir->PutByte(0xFF);
    for (int Number : {0, 4, 14}) {
        int X = 7, Y = 7, V = 7, W = 7;
        EXPECT_EQ(HuffmanDecode(HuffmanTable(Number), X, Y, V, W, *Reservoir), HuffmanNoTree);
        EXPECT_EQ(X, 0);
        EXPECT_EQ(Y, 0);
        EXPECT_EQ(V, 7);
        EXPECT_EQ(Reservoir->BitsRead(), 0);
    }
}

// Random bits decode to the same symbols and bit counts as a plain prefix match
// against the code lists: the lookup and the tree walk agree with the codes.
TEST(HuffmanDecode, RandomBitsMatchPrefixDecoding)
{
    std::mt19937 Random(42);
    for (const THuffmanCodeList& List : HuffmanCodeLists) {
        SCOPED_TRACE(List.TableNumber);
        auto Reservoir = std::make_unique<TBitReserve>();
        std::vector<uint8_t> Bits;
        for (int32_t i = 0; i < TBitReserve::Size; ++i) {
            const uint8_t Byte = static_cast<uint8_t>(Random());
            Reservoir->PutByte(Byte);
            for (int b = 7; b >= 0; --b)
                Bits.push_back((Byte >> b) & 1);
        }
        const THuffmanTable& Table = HuffmanTable(List.TableNumber);
        size_t Position = 0;
        while (Position + 64 < Bits.size()) {
            int Symbol = -1;
            for (int s = 0; s < List.XLen * List.YLen && Symbol < 0; ++s) {
                uint32_t Code = 0;
                for (int b = 0; b < List.Lengths[s]; ++b)
                    Code = Code << 1 | Bits[Position + b];
                if (Code == List.Codes[s])
                    Symbol = s;
            }
            ASSERT_GE(Symbol, 0);
            Position += List.Lengths[Symbol];
            // The values the standard's syntax gives for the bits that follow.
            auto Take = [&](int Count) {
                uint32_t Value = 0;
                for (int b = 0; b < Count; ++b)
                    Value = Value << 1 | Bits[Position++];
                return static_cast<int>(Value);
            };
            auto Signed = [&](int Value) { return Value != 0 && Take(1) ? -Value : Value; };
            int Expected[4] = {};
            if (Table.Quadruple) {
                for (int k = 0; k < 4; ++k)
                    Expected[k] = Signed((Symbol >> (3 - k)) & 1);
            } else {
                for (int k = 2; k < 4; ++k) {
                    int Value = k == 2 ? Symbol / List.YLen : Symbol % List.YLen;
                    if (Table.LinBits > 0 && Value == 15)
                        Value += Take(Table.LinBits);
                    Expected[k] = Signed(Value);
                }
            }
            int X = 0, Y = 0, V = 0, W = 0;
            HuffmanDecode(Table, X, Y, V, W, *Reservoir);
            if (Table.Quadruple) {
                ASSERT_EQ(V, Expected[0]);
                ASSERT_EQ(W, Expected[1]);
            }
            ASSERT_EQ(X, Expected[2]);
            ASSERT_EQ(Y, Expected[3]);
            ASSERT_EQ(Reservoir->BitsRead(), static_cast<int32_t>(Position));
        }
    }
}
