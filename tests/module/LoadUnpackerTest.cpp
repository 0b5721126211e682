// The sample unpacker, fed from memory, and the writer's packer against it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "module/LoadUnpacker.h"
#include "tests/module/LoadFixture.h"
#include "tools/writer/WriterPacker.h"

namespace {

// Unpacks Count bytes from Packed; Produced receives the unpacker's result (-1 when the tree is rejected).
std::vector<uint8_t> Unpack(const std::vector<uint8_t>& Packed, int32_t Count, int32_t* Produced = nullptr,
                            int64_t InputLimit = std::numeric_limits<int64_t>::max())
{
    TMemoryStream stream(Packed);
    TSampleUnpacker unpacker(stream, InputLimit);
    std::vector<uint8_t> out(static_cast<size_t>(std::max(Count, 0)), 0);
    int32_t produced = -1;
    if (unpacker.InitUnpacker()) {
        produced = unpacker.UnpackBytes(out.data(), Count);
    }
    if (Produced) {
        *Produced = produced;
    }
    return out;
}

}  // namespace

TEST(LoadUnpacker, OneNodeTreeAddsItsValue)
{
    std::vector<uint8_t> packed = {0x01, 0x00};
    packed.resize(64, 0);
    EXPECT_EQ(Unpack(packed, 5), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    // Same node; sign bits of 1 subtract 2 each.
    TPackBitWriter bits;
    bits.Bits(1, 7);
    bits.Bits(0, 2);
    bits.Bits(0x7, 3);
    EXPECT_EQ(Unpack(bits.Bytes(), 3), (std::vector<uint8_t>{0xFE, 0xFC, 0xFA}));
}

TEST(LoadUnpacker, NothingForACountBelowOne)
{
    int32_t produced = 99;
    Unpack({0x01, 0x00}, 0, &produced);
    EXPECT_EQ(produced, 0);
}

TEST(LoadUnpacker, PackerRoundTrip)
{
    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> cases = {{}, {0}, {0x80}, std::vector<uint8_t>(5000, 0x42), Ramp(3000, 129)};
    std::vector<uint8_t> noise(20000);
    for (uint8_t& b : noise) {
        b = static_cast<uint8_t>(random());
    }
    cases.push_back(noise);
    std::vector<uint8_t> wave(40000);
    for (size_t i = 0; i < wave.size(); ++i) {
        wave[i] = static_cast<uint8_t>(100 * std::sin(static_cast<double>(i) / 20.0) + (random() % 5));
    }
    cases.push_back(wave);
    for (const auto& pcm : cases) {
        const std::vector<uint8_t> packed = PackSample(pcm);
        int32_t produced = 0;
        EXPECT_EQ(Unpack(packed, static_cast<int32_t>(pcm.size()), &produced), pcm);
        EXPECT_EQ(produced, static_cast<int32_t>(pcm.size()));
    }
    EXPECT_LT(PackSample(wave).size(), wave.size() * 3 / 4);  // slow waves pack well
}

TEST(LoadUnpacker, InputRunningDryEndsEarly)
{
    // Only the tree (one node of value 3) is stored. The first read fills the
    // rest of the 1024-byte buffer with zero words: 8183 one-bit bytes. The
    // next read delivers nothing; the byte in hand is finished from the stale
    // first word (whose bit 0 is 1: a negative delta) and decoding stops.
    TPackBitWriter bits;
    bits.Bits(3, 7);
    bits.Bits(0, 2);
    int32_t produced = 0;
    const std::vector<uint8_t> out = Unpack(bits.Bytes(), 10000, &produced);
    ASSERT_EQ(produced, 8184);
    EXPECT_EQ(out[8182], static_cast<uint8_t>(3 * 8183));
    EXPECT_EQ(out[8183], static_cast<uint8_t>(3 * 8183 + 0xFC));
    EXPECT_EQ(out[8184], 0);

    // The same when the data goes on but the input limit (one refill) is reached.
    std::vector<uint8_t> more = bits.Bytes();
    more.resize(4096, 0);
    Unpack(more, 10000, &produced, TSampleUnpacker::InputLimitFor(0));
    EXPECT_EQ(produced, 8184);
    EXPECT_EQ(TSampleUnpacker::InputLimitFor(1), 2048);
    EXPECT_EQ(TSampleUnpacker::InputLimitFor(1024), 2048);

    // One bit a byte is the most a tree allows: whatever the length asked,
    // the output stays within the bound the input limit gives.
    for (const int32_t stored : {0, 1, 1000, 5000}) {
        const int64_t limit = TSampleUnpacker::InputLimitFor(stored);
        more.resize(static_cast<size_t>(stored) + 8192, 0);
        Unpack(more, 4 << 20, &produced, limit);
        EXPECT_LE(produced, TSampleUnpacker::MaxOutputFor(limit)) << stored;
        EXPECT_GE(produced, 8 * (limit - 1024)) << stored;
    }
}

TEST(LoadUnpacker, TreeOfMoreThan256NodesIsRejected)
{
    // A chain of nodes that each announce a right child never ends within 256 nodes.
    TPackBitWriter bits;
    for (int n = 0; n < 300; ++n) {
        bits.Bits(static_cast<unsigned>(n & 0x7F), 7);
        bits.Bit(0);
        bits.Bit(1);
    }
    int32_t produced = 0;
    Unpack(bits.Bytes(), 10, &produced);
    EXPECT_EQ(produced, -1);

    // 256 nodes exactly are fine.
    TPackBitWriter full;
    for (int n = 0; n < 255; ++n) {
        full.Bits(0, 7);
        full.Bit(0);
        full.Bit(1);
    }
    full.Bits(9, 7);
    full.Bits(0, 2);
    Unpack(full.Bytes(), 1, &produced);
    EXPECT_EQ(produced, 1);
}
