// The ALSA output on ALSA's "null" device, which takes audio as fast as it
// comes: ring, pause, clocks and flush as an input plug-in sees them.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "host/play/HostAlsaOutput.h"
#include "host/play/HostSoftwareGain.h"
#include "player/DmfOutputFormat.h"

namespace {

constexpr int BytesPerSecond = OutputBytesPerSecond;

// Waits until the output has played everything queued; false after 5 s.
bool Drained(TAlsaOutput& Output)
{
    for (int i = 0; i < 5000; ++i) {
        if (!Output.IsPlaying()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void WriteSilence(TAlsaOutput& Output, int Bytes)
{
    const std::vector<char> silence(static_cast<size_t>(Bytes), 0);
    EXPECT_EQ(Output.Write(silence.data(), Bytes), 0);
}

TEST(HostAlsaOutput, OpenFailsWithTheReasonForUnknownDevicesAndFormats)
{
    TAlsaOutput missing("morvel-no-such-device");
    EXPECT_LT(missing.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_NE(missing.LastError().find("\"morvel-no-such-device\""), std::string::npos) << missing.LastError();

    TAlsaOutput null("null");
    EXPECT_LT(null.Open(OutputRate, OutputChannels, 8, -1, -1), 0);
    EXPECT_FALSE(null.LastError().empty());
    // A later Open that works clears the reason.
    EXPECT_GE(null.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 2000);
    EXPECT_TRUE(null.IsOpen());
    EXPECT_EQ(null.LastError(), "");
}

TEST(HostAlsaOutput, PausedOutputHoldsWhatIsWrittenAndTakesNoMore)
{
    TAlsaOutput output("null");
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    // An empty ring has room for two seconds.
    EXPECT_EQ(output.CanWrite(), 2 * BytesPerSecond);
    EXPECT_EQ(output.IsPlaying(), 0);

    EXPECT_EQ(output.Pause(1), 0);
    EXPECT_EQ(output.Pause(1), 1);
    EXPECT_EQ(output.CanWrite(), 0);
    WriteSilence(output, BytesPerSecond);
    // More than the ring's room is taken too: nothing is lost.
    WriteSilence(output, 2 * BytesPerSecond);
    EXPECT_EQ(output.QueuedBytes(), 3 * BytesPerSecond);
    EXPECT_EQ(output.IsPlaying(), 1);
    EXPECT_EQ(output.GetWrittenTime(), 3000);
    EXPECT_EQ(output.GetOutputTime(), 0);

    EXPECT_EQ(output.Pause(0), 1);
    ASSERT_TRUE(Drained(output));
    EXPECT_EQ(output.QueuedBytes(), 0);
    EXPECT_EQ(output.CanWrite(), 2 * BytesPerSecond);
    EXPECT_EQ(output.GetOutputTime(), 3000);
    EXPECT_EQ(output.GetWrittenTime(), 3000);
}

TEST(HostAlsaOutput, FlushDropsTheQueueAndBothClocksGoOnFromItsTime)
{
    TAlsaOutput output("null");
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    WriteSilence(output, BytesPerSecond / 2);
    ASSERT_TRUE(Drained(output));
    EXPECT_EQ(output.GetWrittenTime(), 500);

    output.Pause(1);
    WriteSilence(output, BytesPerSecond);
    output.Flush(30000);
    EXPECT_EQ(output.QueuedBytes(), 0);
    EXPECT_EQ(output.IsPlaying(), 0);
    EXPECT_EQ(output.GetWrittenTime(), 30000);
    EXPECT_EQ(output.GetOutputTime(), 30000);
    // A flush does not resume.
    EXPECT_EQ(output.CanWrite(), 0);
    EXPECT_EQ(output.Pause(0), 1);

    // 1.5 s in frames, one of them split between two writes.
    WriteSilence(output, BytesPerSecond - 2);
    WriteSilence(output, BytesPerSecond / 2 + 2);
    ASSERT_TRUE(Drained(output));
    EXPECT_EQ(output.GetWrittenTime(), 31500);
    EXPECT_EQ(output.GetOutputTime(), 31500);

    // A new Open starts both clocks at 0 again.
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    EXPECT_EQ(output.GetWrittenTime(), 0);
    EXPECT_EQ(output.GetOutputTime(), 0);
}

TEST(HostAlsaOutput, FlushesAreCountedAndDroppedAudioCountsAsPlayed)
{
    TAlsaOutput output("null");
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    const TFlushMark opened = output.LastFlush();
    output.Pause(1);
    WriteSilence(output, BytesPerSecond);
    output.Flush(12000);
    EXPECT_EQ(output.LastFlush().Count, opened.Count + 1);
    EXPECT_EQ(output.LastFlush().TimeMs, 12000);

    // Paused with a second queued, dropped before resuming: none of it is
    // played, nor what comes until the next flush; the clocks stand where it
    // would have ended, and no flush is seen.
    WriteSilence(output, BytesPerSecond);
    EXPECT_EQ(output.GetOutputTime(), 12000);
    output.DropUntilFlush();
    EXPECT_EQ(output.QueuedBytes(), 0);
    EXPECT_EQ(output.IsPlaying(), 0);
    EXPECT_EQ(output.GetOutputTime(), 13000);
    EXPECT_EQ(output.GetWrittenTime(), 13000);
    EXPECT_EQ(output.LastFlush().Count, opened.Count + 1);
    EXPECT_EQ(output.CanWrite(), 0);  // still paused
    output.Pause(0);
    WriteSilence(output, BytesPerSecond / 2);
    EXPECT_EQ(output.QueuedBytes(), 0);
    EXPECT_EQ(output.IsPlaying(), 0);
    EXPECT_EQ(output.GetOutputTime(), 13500);

    // The flush of the seek: written audio is played again.
    output.Flush(20000);
    output.Pause(1);
    WriteSilence(output, BytesPerSecond / 2);
    EXPECT_EQ(output.QueuedBytes(), BytesPerSecond / 2);
    EXPECT_EQ(output.GetOutputTime(), 20000);
    output.Pause(0);
    ASSERT_TRUE(Drained(output));
    EXPECT_EQ(output.GetOutputTime(), 20500);
}

TEST(HostAlsaOutput, PlayedTimeNeverRunsAheadOfWrittenTimeOrBackwards)
{
    TAlsaOutput output("null");
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    int lastPlayed = 0;
    // One tick of the player (2940 bytes) at a time, as it writes them.
    for (int tick = 0; tick < 600; ++tick) {
        while (output.CanWrite() < 2940) {
            std::this_thread::yield();
        }
        WriteSilence(output, 2940);
        const int played = output.GetOutputTime();
        const int written = output.GetWrittenTime();
        ASSERT_LE(played, written);
        ASSERT_GE(played, lastPlayed);
        lastPlayed = played;
    }
    ASSERT_TRUE(Drained(output));
    EXPECT_EQ(output.GetWrittenTime(), 600 * 2940 * 1000 / BytesPerSecond);
    EXPECT_EQ(output.GetOutputTime(), output.GetWrittenTime());
}

TEST(HostAlsaOutput, CloseDropsQueuedAudioAndLeavesAnIdleOutput)
{
    TAlsaOutput output("null");
    ASSERT_GE(output.Open(OutputRate, OutputChannels, OutputBits, -1, -1), 0);
    output.Pause(1);
    WriteSilence(output, BytesPerSecond);
    output.Close();
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(output.IsPlaying(), 0);
    EXPECT_EQ(output.QueuedBytes(), 0);
    // Reopened, it is not paused any more.
    ASSERT_GE(output.Open(22050, 1, 16, -1, -1), 0);
    EXPECT_EQ(output.CanWrite(), 2 * 22050 * 2);
}

TEST(HostAlsaOutput, VolumeScalesAndBalanceFadesOneSide)
{
    const std::vector<int16_t> frames = {1000, -2000, 32767, -32768};
    auto gained = [&](int Channels, int Volume, int Pan) {
        std::vector<int16_t> samples = frames;
        ApplySoftwareGain(samples.data(), static_cast<long>(samples.size()) / Channels, Channels, Volume, Pan);
        return samples;
    };
    EXPECT_EQ(gained(2, 255, 0), frames);
    EXPECT_EQ(gained(2, 0, 0), std::vector<int16_t>(4, 0));
    EXPECT_EQ(gained(2, 255, -128), (std::vector<int16_t>{1000, 0, 32767, 0}));
    EXPECT_EQ(gained(2, 255, 128), (std::vector<int16_t>{0, -2000, 0, -32768}));
    EXPECT_EQ(gained(2, 255, 64), (std::vector<int16_t>{500, -2000, 16384, -32768}));
    // Half volume and a balance to the left: the right side gets both.
    EXPECT_EQ(gained(2, 51, -64), (std::vector<int16_t>{200, -200, 6553, -3277}));
    // One channel: the balance does not apply.
    EXPECT_EQ(gained(1, 51, 128), (std::vector<int16_t>{200, -400, 6553, -6554}));
}

}  // namespace

#endif  // _WIN32
