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
    for (const THuffmanCodeList& list : HuffmanCodeLists) {
        SCOPED_TRACE(list.TableNumber);
        const int symbols = list.XLen * list.YLen;
        EXPECT_EQ(symbols, list.TableNumber >= 32 ? 16 : list.XLen * list.XLen);
        uint64_t kraft = 0;
        for (int a = 0; a < symbols; ++a) {
            ASSERT_GE(list.Lengths[a], 1);
            ASSERT_LE(list.Lengths[a], 19);
            ASSERT_LT(list.Codes[a], 1u << list.Lengths[a]);
            kraft += static_cast<uint64_t>(1) << (32 - list.Lengths[a]);
            for (int b = 0; b < symbols; ++b) {
                if (a == b || list.Lengths[b] < list.Lengths[a]) {
                    continue;
                }
                const uint32_t prefix = list.Codes[b] >> (list.Lengths[b] - list.Lengths[a]);
                EXPECT_NE(prefix, list.Codes[a]) << a << " prefixes " << b;
            }
        }
        EXPECT_EQ(kraft, static_cast<uint64_t>(1) << 32);
    }
}

TEST(HuffmanTables, RecordsCarryTheStandardParameters)
{
    const int sharedLinBits16[] = {1, 2, 3, 4, 6, 8, 10, 13};
    const int sharedLinBits24[] = {4, 5, 6, 7, 8, 9, 11, 13};
    for (int i = 0; i < 8; ++i) {
        const THuffmanTable& a = HuffmanTable(16 + i);
        const THuffmanTable& b = HuffmanTable(24 + i);
        EXPECT_EQ(a.LinBits, sharedLinBits16[i]);
        EXPECT_EQ(b.LinBits, sharedLinBits24[i]);
        EXPECT_EQ(a.Tree, HuffmanTable(16).Tree);
        EXPECT_EQ(b.Tree, HuffmanTable(24).Tree);
        EXPECT_EQ(a.TreeOf, i == 0 ? -1 : 16);
        EXPECT_EQ(b.TreeOf, i == 0 ? -1 : 24);
        EXPECT_EQ(a.LinMax, (1 << a.LinBits) - 1);
    }
    for (int number : {0, 4, 14}) {
        EXPECT_EQ(HuffmanTable(number).Tree, nullptr);
        EXPECT_EQ(HuffmanTable(number).TreeLength, 0);
    }
    for (int number = 0; number < HuffmanTableCount; ++number) {
        EXPECT_EQ(std::string(HuffmanTable(number).Name), std::to_string(number));
    }
    EXPECT_EQ(HuffmanTable(32).XLen, 1);
    EXPECT_EQ(HuffmanTable(33).YLen, 16);
    EXPECT_EQ(HuffmanTable(13).XLen, 16);
    EXPECT_EQ(HuffmanTable(99).Tree, nullptr);
}

// The byte-pair trees, extensions included, hold exactly the listed codes: every
// code word leads to its own leaf and consumes exactly its length.
TEST(HuffmanTables, TreesDecodeEveryCodeWord)
{
    for (const THuffmanCodeList& list : HuffmanCodeLists) {
        SCOPED_TRACE(list.TableNumber);
        const THuffmanTable& table = HuffmanTable(list.TableNumber);
        int leaves = 0;
        for (int i = 0; i < table.TreeLength; ++i) {
            leaves += table.Tree[i].Byte[0] == 0 && i > 0;
        }
        EXPECT_GE(leaves, list.XLen * list.YLen);  // relay pairs also begin with 0
        int extensions = 0;
        for (int i = 0; i < table.TreeLength; ++i) {
            extensions += table.Tree[i].Byte[1] >= HuffmanExtension && table.Tree[i].Byte[0] != 0;
        }
        if (list.TableNumber == 16 || list.TableNumber == 24) {
            EXPECT_GT(extensions, 0);  // the large trees need extended offsets
        }
        for (int symbol = 0; symbol < list.XLen * list.YLen; ++symbol) {
            TBitWriter writer;
            writer.Put(list.Codes[symbol], list.Lengths[symbol]);
            const int leaf = LeafOf(list, symbol);
            // Sign bits of 0 (positive); large values of linbits tables get zero linbits.
            writer.Put(0, 24);
            auto reservoir = std::make_unique<TBitReserve>();
            writer.CopyTo(*reservoir);
            int x = -1, y = -1, v = -1, w = -1;
            ASSERT_EQ(HuffmanDecode(table, x, y, v, w, *reservoir), HuffmanDecoded);
            int signs = 0;
            if (table.Quadruple) {
                EXPECT_EQ(v << 3 | w << 2 | x << 1 | y, leaf & 15);
                signs = __builtin_popcount(leaf & 15);
            } else {
                EXPECT_EQ(x << 4 | y, leaf);
                signs = (x != 0) + (y != 0) + table.LinBits * ((x == 15) + (y == 15));
            }
            EXPECT_EQ(reservoir->BitsRead(), list.Lengths[symbol] + signs);
        }
    }
}
