// Seeks by keys that come faster than the plug-in carries them out: they add
// up from the target still pending, stay within the song, and the target is
// let go only when the output's flush shows the plug-in sought there.

#ifndef _WIN32

#include <gtest/gtest.h>

#include "host/play/HostPendingSeek.h"

namespace {

TEST(HostPendingSeek, StepsAddUpUntilTheSeekIsDone)
{
    TPendingSeek seek;
    const TFlushMark before{3, 0};
    EXPECT_EQ(seek.Target(before), -1);
    // Two arrows in one read, then a second, while the plug-in still reports 20 s.
    EXPECT_EQ(seek.Step(10000, 20000, 60000, before), 30000);
    EXPECT_EQ(seek.Step(10000, 20000, 60000, before), 40000);
    EXPECT_EQ(seek.Step(1000, 20000, 60000, before), 41000);
    EXPECT_EQ(seek.Target(before), 41000);
    // Paused: the plug-in does not seek, the target stays and steps go on from it.
    EXPECT_EQ(seek.Step(-1000, 20000, 60000, before), 40000);
    // The plug-in sought to the first step boundary at or after the target.
    EXPECT_EQ(seek.Target({4, 40017}), -1);
    // From then on steps count from the plug-in's position.
    EXPECT_EQ(seek.Step(-10000, 40100, 60000, {4, 40017}), 30100);
}

TEST(HostPendingSeek, TargetsStayWithinTheSong)
{
    TPendingSeek seek;
    EXPECT_EQ(seek.Step(-10000, 3000, 60000, {}), 0);
    EXPECT_EQ(seek.Step(-1000, 3000, 60000, {}), 0);
    EXPECT_EQ(seek.Step(100000, 3000, 60000, {}), 60000);
    EXPECT_EQ(seek.Step(10000, 3000, 60000, {}), 60000);
    seek.Clear();
    EXPECT_EQ(seek.Target({}), -1);
    // An unknown length bounds nothing.
    EXPECT_EQ(seek.Step(100000, 3000, -1, {}), 103000);
}

TEST(HostPendingSeek, OnlyAFlushAtTheTargetEndsIt)
{
    TPendingSeek seek;
    seek.Step(10000, 20000, 600000, {7, 5000});
    // The flush seen when the target was set is not the seek's.
    EXPECT_EQ(seek.Target({7, 5000}), 30000);
    // A flush for an earlier target (elsewhere) is not the seek's either.
    EXPECT_EQ(seek.Target({8, 12000}), 30000);
    EXPECT_EQ(seek.Target({8, 29999}), 30000);
    EXPECT_EQ(seek.Target({9, 33000}), 30000);  // beyond the longest render step
    EXPECT_EQ(seek.Target({9, 32500}), -1);     // the slowest tempo's step boundary
}

}  // namespace

#endif  // _WIN32
