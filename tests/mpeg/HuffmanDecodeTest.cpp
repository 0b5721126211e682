#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "mpeg/layer3/MpegHuffman.h"
#include "mpeg/layer3/MpegHuffmanCodes.h"
#include "tests/support/BitWriter.h"

namespace {

const THuffmanCodeList& ListOf(int TableNumber)
{
    for (const THuffmanCodeList& list : HuffmanCodeLists) {
        if (list.TableNumber == TableNumber) {
            return list;
        }
    }
    return HuffmanCodeLists[0];
}

void PutSymbol(TBitWriter& Writer, int TableNumber, int X, int Y)
{
    const THuffmanCodeList& list = ListOf(TableNumber);
    Writer.Put(list.Codes[X * list.YLen + Y], list.Lengths[X * list.YLen + Y]);
}

}  // namespace

TEST(HuffmanDecode, LinbitsFollowTheLargestValueBeforeItsSign)
{
    // Table 16 (1 linbit) and table 23 (13 linbits, tree of 16): x = 15 + extra, y = 15 + extra.
    TBitWriter writer;
    PutSymbol(writer, 16, 15, 3);
    writer.Put(1, 1);  // linbits of x
    writer.Put(1, 1);  // x negative
    writer.Put(0, 1);  // y positive
    PutSymbol(writer, 16, 15, 15);
    writer.Put(8191, 13);
    writer.Put(0, 1);
    writer.Put(1234, 13);
    writer.Put(1, 1);
    auto reservoir = std::make_unique<TBitReserve>();
    writer.CopyTo(*reservoir);
    int x = 0, y = 0, v = 0, w = 0;
    HuffmanDecode(HuffmanTable(16), x, y, v, w, *reservoir);
    EXPECT_EQ(x, -16);
    EXPECT_EQ(y, 3);
    HuffmanDecode(HuffmanTable(23), x, y, v, w, *reservoir);
    EXPECT_EQ(x, 15 + 8191);
    EXPECT_EQ(y, -(15 + 1234));
    EXPECT_EQ(reservoir->BitsRead(), writer.BitCount);
}

TEST(HuffmanDecode, ValueFifteenWithoutLinbitsReadsNoExtraBits)
{
    TBitWriter writer;
    PutSymbol(writer, 15, 15, 0);
    writer.Put(1, 1);
    auto reservoir = std::make_unique<TBitReserve>();
    writer.CopyTo(*reservoir);
    int x = 0, y = 0, v = 0, w = 0;
    HuffmanDecode(HuffmanTable(15), x, y, v, w, *reservoir);
    EXPECT_EQ(x, -15);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(reservoir->BitsRead(), writer.BitCount);
}

TEST(HuffmanDecode, QuadrupleTablesSignEachNonzeroValue)
{
    TBitWriter writer;
    PutSymbol(writer, 32, 0, 0b1011);
    writer.Put(0b101, 3);  // v negative, x positive, y negative
    PutSymbol(writer, 33, 0, 0b0100);
    writer.Put(1, 1);
    auto reservoir = std::make_unique<TBitReserve>();
    writer.CopyTo(*reservoir);
    int x = 9, y = 9, v = 9, w = 9;
    HuffmanDecode(HuffmanTable(32), x, y, v, w, *reservoir);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, -1);
    HuffmanDecode(HuffmanTable(33), x, y, v, w, *reservoir);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(w, -1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(reservoir->BitsRead(), writer.BitCount);
}

TEST(HuffmanDecode, TablesWithoutCodesGiveZerosAndReadNothing)
{
    auto reservoir = std::make_unique<TBitReserve>();
    reservoir->PutByte(0xFF);
    for (int number : {0, 4, 14}) {
        int x = 7, y = 7, v = 7, w = 7;
        EXPECT_EQ(HuffmanDecode(HuffmanTable(number), x, y, v, w, *reservoir), HuffmanNoTree);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(v, 7);
        EXPECT_EQ(reservoir->BitsRead(), 0);
    }
}

// Random bits decode to the same symbols and bit counts as a plain prefix match
// against the code lists: the lookup and the tree walk agree with the codes.
TEST(HuffmanDecode, RandomBitsMatchPrefixDecoding)
{
    std::mt19937 random(42);
    for (const THuffmanCodeList& list : HuffmanCodeLists) {
        SCOPED_TRACE(list.TableNumber);
        auto reservoir = std::make_unique<TBitReserve>();
        std::vector<uint8_t> bits;
        for (int32_t i = 0; i < TBitReserve::Size; ++i) {
            const uint8_t byte = static_cast<uint8_t>(random());
            reservoir->PutByte(byte);
            for (int b = 7; b >= 0; --b) {
                bits.push_back((byte >> b) & 1);
            }
        }
        const THuffmanTable& table = HuffmanTable(list.TableNumber);
        size_t position = 0;
        while (position + 64 < bits.size()) {
            int symbol = -1;
            for (int s = 0; s < list.XLen * list.YLen && symbol < 0; ++s) {
                uint32_t code = 0;
                for (int b = 0; b < list.Lengths[s]; ++b) {
                    code = code << 1 | bits[position + b];
                }
                if (code == list.Codes[s]) {
                    symbol = s;
                }
            }
            ASSERT_GE(symbol, 0);
            position += list.Lengths[symbol];
            // The values the standard's syntax gives for the bits that follow.
            auto take = [&](int Count) {
                uint32_t value = 0;
                for (int b = 0; b < Count; ++b) {
                    value = value << 1 | bits[position++];
                }
                return static_cast<int>(value);
            };
            auto withSign = [&](int Value) { return Value != 0 && take(1) ? -Value : Value; };
            int expected[4] = {};
            if (table.Quadruple) {
                for (int k = 0; k < 4; ++k) {
                    expected[k] = withSign((symbol >> (3 - k)) & 1);
                }
            } else {
                for (int k = 2; k < 4; ++k) {
                    int value = k == 2 ? symbol / list.YLen : symbol % list.YLen;
                    if (table.LinBits > 0 && value == 15) {
                        value += take(table.LinBits);
                    }
                    expected[k] = withSign(value);
                }
            }
            int x = 0, y = 0, v = 0, w = 0;
            HuffmanDecode(table, x, y, v, w, *reservoir);
            if (table.Quadruple) {
                ASSERT_EQ(v, expected[0]);
                ASSERT_EQ(w, expected[1]);
            }
            ASSERT_EQ(x, expected[2]);
            ASSERT_EQ(y, expected[3]);
            ASSERT_EQ(reservoir->BitsRead(), static_cast<int32_t>(position));
        }
    }
}

// One bit window decodes a long run of codes (refilled wherever a code may pass
// the bits it holds) as HuffmanDecode does code by code on a copy of the same
// bits: the same values, the same bits read after each code and once settled.
TEST(HuffmanDecode, OneWindowDecodesARunAsCodeByCode)
{
    std::mt19937 random(43);
    for (int number = 1; number < HuffmanTableCount; ++number) {
        const THuffmanTable& table = HuffmanTable(number);
        if (table.Tree == nullptr) {
            continue;  // no codes: the granule's loop reads nothing for these
        }
        SCOPED_TRACE(number);
        auto windowed = std::make_unique<TBitReserve>();
        auto single = std::make_unique<TBitReserve>();
        for (int32_t i = 0; i < TBitReserve::Size; ++i) {
            const uint32_t byte = random() & 0xFF;
            windowed->PutByte(byte);
            single->PutByte(byte);
        }
        THuffmanBitWindow bits(*windowed);
        THuffmanValues values;
        int x = 0, y = 0, v = 0, w = 0;
        while (single->BitsRead() < 8 * (TBitReserve::Size - 64)) {
            bits.Decode(table, values);
            HuffmanDecode(table, x, y, v, w, *single);
            ASSERT_EQ(values.X, x);
            ASSERT_EQ(values.Y, y);
            ASSERT_EQ(values.V, v);
            ASSERT_EQ(values.W, w);
            ASSERT_EQ(bits.BitsRead(), single->BitsRead());
        }
        bits.Settle();
        EXPECT_EQ(windowed->BitsRead(), single->BitsRead());
    }
}
