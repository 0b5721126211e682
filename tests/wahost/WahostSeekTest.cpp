// Seeking through the DLL: SetOutputTime backward, to the current position,
// beyond the end and to the largest time, and a target set before Play. The
// player takes a seek at the start of a pass; the tests hold it by giving
// the output no room, so that its position is known when it takes the seek.

#include <climits>

#include "WahostFixture.h"

namespace {

using TWahostSeek = TWahostTest;

TEST_F(TWahostSeek, BackwardSeekRestartsAndFlushesAtTheFirstTickBoundaryAtOrAfterTheTarget)
{
    TWriterSong tempo = WithGlobal(SteadySong(40), 0, 1, 99);  // 10 ms ticks
    tempo = WithGlobal(tempo, 4, 1, 29);                       // 33.3 ms from the fifth row
    const std::string song = WriteSongFile("tempo.dmf", tempo);
    const std::vector<int32_t> ticks = TickLengths(song);
    const int target = 175;
    const double end = SeekEnd(ticks, target);
    ASSERT_GT(end, target + 1.0) << "the target lies inside a tick";

    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(70000);  // about 400 ms
    ASSERT_EQ(Play(song), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    SetOutputTime(target);
    Host.SetClock(TOutputClock::Instant);
    ASSERT_TRUE(Host.WaitForNextTrack());

    const std::vector<THostCall> calls = Host.Calls();
    const std::vector<THostCall> flushes = Host.CallsNamed("Flush");
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_EQ(flushes[0].Args[0], std::lround(end));
    EXPECT_NE(flushes[0].Thread, MainWindow().Thread()) << "the player thread seeks";
    EXPECT_GT(PositionBeforeFlush(calls), target) << "the seek went backward";
    const std::vector<THostCall> after = SinceFlush(calls);
    const auto visual =
        std::find_if(after.begin(), after.end(), [](const THostCall& Call) { return Call.Name == "SAAddPCMData"; });
    ASSERT_NE(visual, after.end());
    EXPECT_EQ(visual->Args[2], std::lround(end));
}

TEST_F(TWahostSeek, SeekToTheCurrentPositionFlushesThereWithoutSkipping)
{
    const std::string song = WriteSongFile("ten.dmf", TenMsSong(80));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(30 * 1764);
    ASSERT_EQ(Play(song), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());

    // A backward seek first: from then on the position is a whole number of
    // 10 ms ticks, exactly.
    SetOutputTime(100);
    Host.AdvancePlayed(10);
    ASSERT_TRUE(Host.WaitForCall("Flush"));
    // After the flush the output is empty: 30 passes fill it again.
    ASSERT_TRUE(Host.WaitUntil([&] {
        const std::vector<THostCall> after = SinceFlush(Host.Calls());
        const size_t n = after.size();
        return CountNamed(after, "Write") == 30 && n >= 2 && after[n - 1].Name == "CanWrite" &&
               after[n - 2].Name == "CanWrite";
    }));
    // The pass waiting for room ends at 100 + 31 x 10 ms; the seek is taken right after it.
    SetOutputTime(410);
    Host.AdvancePlayed(10);
    ASSERT_TRUE(Host.WaitForCall("Flush", 2));
    ASSERT_TRUE(Host.WaitUntil([&] { return CountNamed(SinceFlush(Host.Calls()), "SAAddPCMData") > 0; }));
    Stop();

    EXPECT_EQ(FirstArgs(Host.CallsNamed("Flush")), (std::vector<int32_t>{100, 410}));
    const std::vector<THostCall> after = SinceFlush(Host.Calls());
    const auto visual =
        std::find_if(after.begin(), after.end(), [](const THostCall& Call) { return Call.Name == "SAAddPCMData"; });
    ASSERT_NE(visual, after.end());
    EXPECT_EQ(visual->Args[2], 410);
}

TEST_F(TWahostSeek, SeekBeyondTheEndDrainsClosesAndPostsOnce)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(30));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(40000);
    ASSERT_EQ(Play(song), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    const int length = GetLength();
    SetOutputTime(length + 5000);
    Host.AdvancePlayed(1000);
    ASSERT_TRUE(Host.WaitUntilDraining());
    EXPECT_EQ(Host.Count("Close"), 0);
    Host.Drain();
    ASSERT_TRUE(Host.WaitForNextTrack());
    Stop();
    MainWindow().Settle();
    EXPECT_EQ(Host.NextTrackCommands(), 1);

    // One more pass after the seek, then the end of the song.
    std::vector<std::string> names;
    for (const THostCall& call : SinceFlush(Host.Calls()))
        if (call.Name != "CanWrite" && call.Name != "IsPlaying")
            names.push_back(call.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"SAAddPCMData", "VSAAddPCMData", "dsp_isactive", "Write", "SAVSADeInit",
                                               "Close", "PostMessage"}));
    const std::vector<THostCall> flushes = Host.CallsNamed("Flush");
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_LE(flushes[0].Args[0], length + 50) << "the skipping stops at the song's end";
}

// Skipping to the largest time must stop at the song's end, not count ticks
// toward the target.
TEST_F(TWahostSeek, SeekToTheLargestTimeEndsTheSong)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(30));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(40000);
    ASSERT_EQ(Play(song), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    SetOutputTime(INT_MAX);
    Host.SetClock(TOutputClock::Instant);
    ASSERT_TRUE(Host.WaitForNextTrack()) << "the seek never ended";
    const std::vector<THostCall> flushes = Host.CallsNamed("Flush");
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_LE(flushes[0].Args[0], GetLength() + 50);
    MainWindow().Settle();
    EXPECT_EQ(Host.NextTrackCommands(), 1);
}

// Play forgets a target set while nothing played.
TEST_F(TWahostSeek, TargetSetBeforePlayIsDropped)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(9));
    SetOutputTime(200);
    PlayToEnd(song);
    EXPECT_EQ(Host.Count("Flush"), 0);
}

}  // namespace
