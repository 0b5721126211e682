// The output's byte ring against a plain queue: pushes and drops of odd sizes
// wrap around its end and grow it past its first size without reordering.

#ifndef _WIN32  // the ring is the Linux play host's

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <vector>

#include "host/play/HostByteRing.h"

namespace {

TEST(HostByteRing, KeepsTheOrderOfAPlainQueueAcrossWrapsAndGrowth)
{
    TByteRing ring(64);
    std::deque<char> reference;
    char next = 0;
    // Sizes chosen to wrap at varying offsets, then to outgrow the ring twice.
    const int pushes[] = {40, 30, 7, 63, 1, 64, 100, 200, 5, 0, 33};
    const int drops[] = {25, 30, 20, 60, 0, 64, 90, 10, 300, 0, 1};
    for (size_t step = 0; step < std::size(pushes); ++step) {
        std::vector<char> bytes(static_cast<size_t>(pushes[step]));
        for (char& byte : bytes) {
            reference.push_back(byte = next++);
        }
        ring.Push(bytes.data(), bytes.size());
        ASSERT_EQ(ring.Size(), reference.size());
        ASSERT_GE(ring.Capacity(), ring.Size());

        std::vector<char> held(ring.Size());
        ring.Peek(held.data(), held.size());
        ASSERT_EQ(held, std::vector<char>(reference.begin(), reference.end())) << "after push " << step;

        const size_t drop = std::min<size_t>(static_cast<size_t>(drops[step]), reference.size());
        ring.Drop(static_cast<size_t>(drops[step]));
        reference.erase(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(drop));
        ASSERT_EQ(ring.Size(), reference.size());
    }
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
}

}  // namespace

#endif  // _WIN32
