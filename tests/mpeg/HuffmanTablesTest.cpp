#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mpeg/layer3/MpegHuffman.h"
#include "mpeg/layer3/MpegHuffmanCodes.h"
#include "tests/support/BitWriter.h"

namespace {

// The x, y (or v, w, x, y) that a code-list symbol stands for, as the decoder
// delivers them after the sign bits of a positive value.
int LeafOf(const THuffmanCodeList& List, int Symbol)
{
    return (Symbol / List.YLen) << 4 | (Symbol % List.YLen);
}

}  // namespace

// Every code list forms a complete prefix code over all its symbols: the Kraft
// sum is exactly 1 and no code word begins another.
TEST(HuffmanTables, CodeListsAreCompletePrefixCodes)
{
    for (const THuffmanCodeList& List : HuffmanCodeLists) {
        SCOPED_TRACE(List.TableNumber);
        const int Symbols = List.XLen * List.YLen;
        EXPECT_EQ(Symbols, List.TableNumber >= 32 ? 16 : List.XLen * List.XLen);
        uint64_t Kraft = 0;
        for (int a = 0; a < Symbols; ++a) {
            ASSERT_GE(List.Lengths[a], 1);
            ASSERT_LE(List.Lengths[a], 19);
            ASSERT_LT(List.Codes[a], 1u << List.Lengths[a]);
            Kraft += uint64_t(1) << (32 - List.Lengths[a]);
            for (int b = 0; b < Symbols; ++b) {
                if (a == b || List.Lengths[b] < List.Lengths[a])
                    continue;
                const uint32_t Prefix = List.Codes[b] >> (List.Lengths[b] - List.Lengths[a]);
                EXPECT_NE(Prefix, List.Codes[a]) << a << " prefixes " << b;
            }
        }
        EXPECT_EQ(Kraft, uint64_t(1) << 32);
    }
}

TEST(HuffmanTables, RecordsCarryTheStandardParameters)
{
    const int SharedLinBits16[] = {1, 2, 3, 4, 6, 8, 10, 13};
    const int SharedLinBits24[] = {4, 5, 6, 7, 8, 9, 11, 13};
    for (int i = 0; i < 8; ++i) {
        const THuffmanTable& A = HuffmanTable(16 + i);
        const THuffmanTable& B = HuffmanTable(24 + i);
        EXPECT_EQ(A.LinBits, SharedLinBits16[i]);
        EXPECT_EQ(B.LinBits, SharedLinBits24[i]);
        EXPECT_EQ(A.Tree, HuffmanTable(16).Tree);
        EXPECT_EQ(B.Tree, HuffmanTable(24).Tree);
        EXPECT_EQ(A.TreeOf, i == 0 ? -1 : 16);
        EXPECT_EQ(B.TreeOf, i == 0 ? -1 : 24);
        EXPECT_EQ(A.LinMax, (1 << A.LinBits) - 1);
    }
    for (int Number : {0, 4, 14}) {
        EXPECT_EQ(HuffmanTable(Number).Tree, nullptr);
        EXPECT_EQ(HuffmanTable(Number).TreeLength, 0);
    }
    for (int Number = 0; Number < HuffmanTableCount; ++Number)
        EXPECT_EQ(std::string(HuffmanTable(Number).Name), std::to_string(Number));
    EXPECT_EQ(HuffmanTable(32).XLen, 1);
    EXPECT_EQ(HuffmanTable(33).YLen, 16);
    EXPECT_EQ(HuffmanTable(13).XLen, 16);
    EXPECT_EQ(HuffmanTable(99).Tree, nullptr);
}

// The byte-pair trees, extensions included, hold exactly the listed codes: every
// code word leads to its own leaf and consumes exactly its length.
TEST(HuffmanTables, TreesDecodeEveryCodeWord)
{
    for (const THuffmanCodeList& List : HuffmanCodeLists) {
        SCOPED_TRACE(List.TableNumber);
        const THuffmanTable& Table = HuffmanTable(List.TableNumber);
        int Leaves = 0;
        for (int i = 0; i < Table.TreeLength; ++i)
            Leaves += Table.Tree[i].Byte[0] == 0 && i > 0;
        EXPECT_GE(Leaves, List.XLen * List.YLen);  // relay pairs also begin with 0
        int Extensions = 0;
        for (int i = 0; i < Table.TreeLength; ++i)
            Extensions += Table.Tree[i].Byte[1] >= HuffmanExtension && Table.Tree[i].Byte[0] != 0;
        if (List.TableNumber == 16 || List.TableNumber == 24) {
            EXPECT_GT(Extensions, 0);  // the large trees need extended offsets
        }
        for (int Symbol = 0; Symbol < List.XLen * List.YLen; ++Symbol) {
            TBitWriter Writer;
            Writer.Put(List.Codes[Symbol], List.Lengths[Symbol]);
            const int Leaf = LeafOf(List, Symbol);
            // Sign bits of 0 (positive); large values of linbits tables get zero linbits.
            Writer.Put(0, 24);
            auto Reservoir = std::make_unique<TBitReserve>();
            Writer.CopyTo(*Reservoir);
            int X = -1, Y = -1, V = -1, W = -1;
            ASSERT_EQ(HuffmanDecode(Table, X, Y, V, W, *Reservoir), HuffmanDecoded);
            int Signs = 0;
            if (Table.Quadruple) {
                EXPECT_EQ(V << 3 | W << 2 | X << 1 | Y, Leaf & 15);
                Signs = __builtin_popcount(Leaf & 15);
            } else {
                EXPECT_EQ(X << 4 | Y, Leaf);
                Signs = (X != 0) + (Y != 0) + Table.LinBits * ((X == 15) + (Y == 15));
            }
            EXPECT_EQ(Reservoir->BitsRead(), List.Lengths[Symbol] + Signs);
        }
    }
}
