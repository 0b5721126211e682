// Playback through the host: what Play asks of the host and in which order,
// the player thread's passes, the end of a song, Pause and Stop, tempo
// changes, the DSP stage, small outputs, and the PCM against the renderer.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "host/HostRender.h"
#include "tests/plugin/PluginFixture.h"
#include "tests/support/TestFiles.h"

namespace {

using TPluginPlayback = TPluginTest;

std::vector<uint8_t> RenderRaw(const std::string& Song)
{
    const std::string raw = TempPath("render.pcm");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = RunRenderCommand({Song, "--raw", "-o", raw}, out, err);
    std::fclose(out);
    std::fclose(err);
    EXPECT_EQ(status, 0);
    std::vector<uint8_t> bytes = ReadFileBytes(raw);
    std::remove(raw.c_str());
    return bytes;
}

// The calls after Play's own, which the player thread made.
std::vector<THostCall> ThreadCalls(const std::vector<THostCall>& Calls, std::thread::id Host)
{
    std::vector<THostCall> calls;
    for (const THostCall& call : Calls)
        if (call.Thread != Host)
            calls.push_back(call);
    return calls;
}

TEST_F(TPluginPlayback, PlayLoadsThenPreparesTheHostInOrderAndStartsOneThread)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(12));
    Host.SetLatency(321);
    Host.SetClock(TOutputClock::Manual);  // the song cannot end while the test looks
    Host.SetCapacity(10000);
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    const std::vector<THostCall> calls = Host.Calls();
    ASSERT_GE(calls.size(), 5u);
    const std::vector<std::pair<std::string, std::vector<int64_t>>> expected = {{"Open", {44100, 2, 16, -1, -1}},
                                                                                {"SetInfo", {1411, 44, 2, 1}},
                                                                                {"SAVSAInit", {321, 44100}},
                                                                                {"VSASetInfo", {44100, 2}},
                                                                                {"SetVolume", {-666}}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[i].Name, expected[i].first) << i;
        EXPECT_EQ(calls[i].Args, expected[i].second) << calls[i].Name;
        EXPECT_EQ(calls[i].Thread, std::this_thread::get_id()) << calls[i].Name;
    }
    ASSERT_TRUE(Host.WaitForCall("Write"));
    EXPECT_EQ(PlatformRecordSnapshot().ThreadsStarted, 1);
    EXPECT_EQ(Module->IsPaused(), 0);
}

TEST_F(TPluginPlayback, EachPassFeedsVisualisationThenOutputAndTheEndPostsOneCommand)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(12));
    PlayToEnd(song);
    Module->Stop();  // after a natural end: returns at once, posts nothing more
    EXPECT_EQ(Host.NextTrackCommands(), 1);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());

    const std::vector<THostCall> all = Host.Calls();
    const std::vector<THostCall> calls = ThreadCalls(all, std::this_thread::get_id());
    ASSERT_FALSE(calls.empty());
    const std::thread::id player = calls[0].Thread;
    EXPECT_NE(player, std::this_thread::get_id());

    const std::vector<int32_t> writes = ExpectedWrites(TickLengths(song));
    std::vector<std::string> names;
    std::vector<std::string> expectedNames;
    double position = 0;
    size_t pass = 0;
    for (const THostCall& call : calls) {
        EXPECT_EQ(call.Thread, player) << call.Name;
        if (call.Name == "CanWrite" || call.Name == "IsPlaying")
            continue;
        names.push_back(call.Name);
        if (call.Name == "SAAddPCMData" || call.Name == "VSAAddPCMData") {
            ASSERT_LT(pass, writes.size());
            EXPECT_EQ(call.Args, (std::vector<int64_t>{2, 16, std::lround(position)})) << call.Name << " " << pass;
        }
        if (call.Name == "Write") {
            ASSERT_LT(pass, writes.size());
            EXPECT_EQ(call.Args[0], writes[pass]) << pass;
            position += writes[pass] / BytesPerMs;
            ++pass;
        }
    }
    for (size_t i = 0; i < writes.size(); ++i)
        expectedNames.insert(expectedNames.end(), {"SAAddPCMData", "VSAAddPCMData", "dsp_isactive", "Write"});
    expectedNames.insert(expectedNames.end(), {"SAVSADeInit", "Close", "PostMessage"});
    EXPECT_EQ(names, expectedNames);

    const std::vector<TPostedMessage> posted = Host.Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].Message, HostCommandMessage);
    EXPECT_EQ(posted[0].WParam, HostNextTrackCommand);
    EXPECT_EQ(posted[0].LParam, 0);
    EXPECT_EQ(posted[0].Thread, player);
}

TEST_F(TPluginPlayback, WholeSongPcmEqualsTheRenderCommand)
{
    // 30 rows at 60 ticks a second: 117 ticks, exactly 1950 ms.
    const std::string song = WriteSongFile("song.dmf", SteadySong(30));
    PlayToEnd(song);
    const std::vector<uint8_t> rendered = RenderRaw(song);
    const std::vector<uint8_t> played = Host.Pcm();
    EXPECT_EQ(played.size(), 117u * 2940);
    EXPECT_EQ(played.size(), rendered.size());
    EXPECT_TRUE(played == rendered);
}

TEST_F(TPluginPlayback, ExampleSongPcmEqualsTheRenderCommand)
{
    PlayToEnd(ExampleSong);
    const std::vector<uint8_t> rendered = RenderRaw(ExampleSong);
    const std::vector<uint8_t> played = Host.Pcm();
    const size_t common = std::min(played.size(), rendered.size());
    EXPECT_TRUE(std::equal(played.begin(), played.begin() + static_cast<ptrdiff_t>(common), rendered.begin()))
        << "the PCM differs before the end of the shorter one";
    const std::vector<int32_t> ticks = TickLengths(ExampleSong);
    EXPECT_EQ(played.size(), rendered.size())
        << "played " << played.size() << " bytes, rendered " << rendered.size() << "; the song has " << ticks.size()
        << " ticks, " << Sum(ticks) << " bytes, the last " << ticks.back() << " bytes";
}

TEST_F(TPluginPlayback, StoppedSongPostsNothing)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(60));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Module->Stop();
    EXPECT_EQ(Host.Count("Close"), 1);
    EXPECT_EQ(Host.Count("SAVSADeInit"), 1);
    EXPECT_EQ(Host.Count("IsPlaying"), 0) << "a stopped song does not wait for the output";
    EXPECT_TRUE(Host.Posted().empty());
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
}

TEST_F(TPluginPlayback, PauseThenStopClosesWithoutCommand)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(60));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Module->Pause();
    EXPECT_EQ(Module->IsPaused(), 1);
    // Room for the pass under way and many more; the next pass pauses.
    const int writes = Host.Count("Write");
    Host.AdvancePlayed(1000);
    ASSERT_TRUE(Host.WaitForCall("Write", writes + 1));
    EXPECT_EQ(Host.Count("Write"), writes + 1) << "the player went on while paused";
    Module->Stop();
    EXPECT_EQ(Module->IsPaused(), 0);
    EXPECT_EQ(FirstArgs(Host.CallsNamed("Pause")), (std::vector<int32_t>{1}));
    EXPECT_EQ(Host.Count("Close"), 1);
    EXPECT_TRUE(Host.Posted().empty());
}

TEST_F(TPluginPlayback, PlayAfterPauseAndStopPlaysUnpaused)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(60));
    const std::string second = WriteSongFile("second.dmf", SteadySong(9));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Module->Play(first.c_str()), 0);
    ASSERT_TRUE(Host.WaitForCall("Write"));
    Module->Pause();
    Module->Stop();

    Host.SetClock(TOutputClock::Instant);
    Host.SetCapacity(TRecordingHost::AmpleRoom);
    PlayToEnd(second);
    EXPECT_EQ(Module->IsPaused(), 0);
    EXPECT_EQ(Host.NextTrackCommands(), 1);
    EXPECT_EQ(Host.Count("Open"), 2);
    EXPECT_EQ(Host.Count("Close"), 2);

    Host.ClearCalls();
    Module->UnPause();
    EXPECT_EQ(FirstArgs(Host.CallsNamed("Pause")), (std::vector<int32_t>{0}));
}

// The pass writes the length it took at its start even when the tick it
// renders changes the tempo.
TEST_F(TPluginPlayback, TempoChangesInsideAPassKeepThePassLength)
{
    TWriterSong tempo = WithGlobal(SteadySong(14), 0, 1, 99);  // 1764-byte ticks
    tempo = WithGlobal(tempo, 5, 1, 29);                       // 5880
    tempo = WithGlobal(tempo, 9, 1, 199);                      // 882
    const std::string song = WriteSongFile("tempo.dmf", tempo);
    PlayToEnd(song);

    const std::vector<int32_t> writes = ExpectedWrites(TickLengths(song));
    ASSERT_GT(std::set<int32_t>(writes.begin(), writes.end()).size(), 3u) << "the song changes tempo";
    EXPECT_EQ(FirstArgs(Host.CallsNamed("Write")), writes);
    // Each pass's visualisation time is the sum of the passes before it.
    std::vector<int64_t> times;
    for (const THostCall& call : Host.CallsNamed("SAAddPCMData"))
        times.push_back(call.Args[2]);
    EXPECT_EQ(times, PassTimestamps(writes));
    EXPECT_TRUE(Host.Pcm() == EnginePcm(song, writes));
}

TEST_F(TPluginPlayback, DspResultDecidesHowMuchIsWritten)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(6));
    const std::vector<int32_t> writes = ExpectedWrites(TickLengths(song));
    struct TCase {
        int Active;
        int Extra;
        int32_t Written;  // bytes per pass; -1: the pass length and what the DSP added
    };
    // A result beyond the player's buffer (twice the largest block) is held to
    // the buffer, a negative one counts as nothing.
    const TCase cases[] = {
        {1, 100, -1}, {1, -100, -1}, {2, 100, -1}, {1, 1 << 20, 2 * MaxBlockBytes}, {1, -(1 << 20), 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "active " << c.Active << ", extra frames " << c.Extra);
        Host.ClearCalls();
        Host.SetDsp(c.Active, c.Extra);
        PlayToEnd(song);
        Module->Stop();
        const std::vector<THostCall> dsp = Host.CallsNamed("dsp_dosamples");
        EXPECT_EQ(dsp.size(), c.Active == 1 ? writes.size() : 0u);
        for (size_t i = 0; i < dsp.size() && i < writes.size(); ++i)
            EXPECT_EQ(dsp[i].Args, (std::vector<int64_t>{writes[i] / 4, 16, 2, 44100}));
        std::vector<int32_t> expected;
        for (int32_t n : writes)
            expected.push_back(c.Written >= 0 ? c.Written : c.Active == 1 ? n + 4 * c.Extra : n);
        EXPECT_EQ(PassWrites(Host.Calls()), expected);
        for (const THostCall& write : Host.CallsNamed("Write"))
            EXPECT_GE(write.Args[0], 0);
        if (c.Active == 1 && c.Extra == 100) {
            // The frames the DSP added are written as it left them.
            const std::vector<uint8_t> pcm = Host.Pcm();
            ASSERT_GE(pcm.size(), static_cast<size_t>(expected[0]));
            for (int32_t i = writes[0]; i < expected[0]; ++i)
                ASSERT_EQ(pcm[static_cast<size_t>(i)], TRecordingHost::DspFill) << i;
        }
        EXPECT_EQ(Host.NextTrackCommands(), 1);
    }
}

// Ticks of 441000 bytes through an output that holds 200000: the player
// waits for part of a block's room, not all of it, and writes the block in
// pieces as room appears.
TEST_F(TPluginPlayback, BlocksLargerThanTheOutputAreWrittenInPieces)
{
    const std::string song = WriteSongFile("slow.dmf", WithGlobal(SteadySong(2), 0, 2, 1));
    const std::vector<int32_t> ticks = TickLengths(song);
    ASSERT_EQ(ticks[0], MaxBlockBytes);
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(200000);
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    // Each step waits for the player to call again after the last advance,
    // so a slow player is never mistaken for one that waits.
    size_t seen = 0;
    for (int steps = 0; Host.NextTrackCommands() == 0; ++steps) {
        ASSERT_LT(steps, 10000);
        ASSERT_TRUE(Host.WaitUntil([&] {
            const std::vector<THostCall> calls = Host.Calls();
            const size_t n = calls.size();
            return Host.NextTrackCommands() > 0 ||
                   (n > seen && n >= 2 && calls[n - 1].Name == "CanWrite" && calls[n - 2].Name == "CanWrite") ||
                   (n > seen && n >= 1 && calls[n - 1].Name == "IsPlaying");
        }));
        seen = Host.Calls().size();
        Host.AdvancePlayed(250);
    }
    int64_t room = -1;
    for (const THostCall& call : Host.Calls()) {
        if (call.Name == "CanWrite")
            room = call.Result;
        if (call.Name == "Write") {
            EXPECT_GT(call.Args[0], 0);
            EXPECT_LE(call.Args[0], room) << "a write larger than the room the output reported";
            room -= call.Args[0];
        }
    }
    const std::vector<int32_t> writes = ExpectedWrites(ticks);
    EXPECT_EQ(PassWrites(Host.Calls()), writes);
    EXPECT_TRUE(Host.Pcm() == EnginePcm(song, writes));
}

// An output with ample room takes each pass in one write.
TEST_F(TPluginPlayback, AmpleRoomTakesOneWritePerPass)
{
    const std::string song = WriteSongFile("slow.dmf", WithGlobal(SteadySong(2), 0, 2, 1));
    PlayToEnd(song);
    EXPECT_EQ(FirstArgs(Host.CallsNamed("Write")), ExpectedWrites(TickLengths(song)));
}

// During the final drain the position is already 0: the output time is what
// the output played less what it was given.
TEST_F(TPluginPlayback, OutputTimeDuringTheDrainIsPlayedLessWritten)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(12));
    Host.SetClock(TOutputClock::Manual);
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilDraining());
    Host.AdvancePlayed(123.4);
    const int played = Host.Output().GetOutputTime();
    const int written = Host.Output().GetWrittenTime();
    EXPECT_EQ(Module->GetOutputTime(), played - written);
    EXPECT_LE(Module->GetOutputTime(), 0);
    EXPECT_EQ(Host.NextTrackCommands(), 0);
    Host.Drain();
    ASSERT_TRUE(Host.WaitForNextTrack());
    EXPECT_EQ(Host.Count("Close"), 1);
}

// While the player waits for room its position is everything it handed out.
TEST_F(TPluginPlayback, OutputTimeWhilePlayingIsPositionLessWhatTheOutputHolds)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(60));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(10 * 2940);  // ten passes fill it
    ASSERT_EQ(Module->Play(song.c_str()), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Host.AdvancePlayed(12.3);  // less than a pass: the player keeps waiting
    double position = 0;
    for (int32_t n : FirstArgs(Host.CallsNamed("Write")))
        position += n / BytesPerMs;
    const int played = Host.Output().GetOutputTime();
    const int written = Host.Output().GetWrittenTime();
    EXPECT_EQ(Module->GetOutputTime(), static_cast<int>(std::nearbyint(position + played - written)));
}

}  // namespace
