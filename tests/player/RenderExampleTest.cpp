// The first seconds of the example song's output, pinned by a checksum: any
// change in what the engine plays (sequencer or mixer) shows up here, and the
// same value on every build shows that the output is bit for bit the same.

#include <gtest/gtest.h>

#include <vector>

#include "player/DmfSong.h"

namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& Bytes)
{
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t byte : Bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

TEST(RenderExample, FirstSecondsOfTheExampleSongAreUnchanged)
{
    TDmf song;
    song.LoadFromFile(MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf");
    ASSERT_TRUE(song.Loaded);
    song.Start();
    constexpr size_t seconds = 6;
    std::vector<uint8_t> output;
    std::vector<uint8_t> block(MaxTickBytes);
    while (output.size() < seconds * OutputBytesPerSecond) {
        const int32_t count = song.BlockBytes;
        song.RenderBlock(block.data(), count);
        output.insert(output.end(), block.begin(), block.begin() + count);
    }
    output.resize(seconds * OutputBytesPerSecond);
    EXPECT_EQ(Fnv1a(output), 16196855987469194242ull);
}

}  // namespace
