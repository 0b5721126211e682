// What a host may do besides playing a good file: files that cannot be
// opened or hold no song, calls with nothing playing, Play while a song
// plays, and file information asked from other threads during playback.

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "ExclusiveFile.h"
#include "WahostFixture.h"

namespace {

using TWahostRobustness = TWahostTest;

TEST_F(TWahostRobustness, FileThatCannotBeOpenedIsRefusedBeforeTheOutputIsTouched)
{
    const std::string good = WriteSongFile("good.dmf", SteadySong(6, "Good", "Song"));
    PlayToEnd(good);
    const std::string folder = TempPath("folder.dmf");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string held = WriteSongFile("held.dmf", SteadySong(6));
    TExclusiveFile hold(held);
    ASSERT_TRUE(hold.Held());

    for (const std::string& name : {TempPath("missing.dmf"), folder, held}) {
        Host.ClearCalls();
        EXPECT_EQ(Play(name), -1) << name;
        Stop();
        MainWindow().Settle();
        EXPECT_TRUE(Host.Calls().empty()) << name << ": the host was called";
        // The song that played before is gone: the current song is empty.
        int length = -1;
        EXPECT_EQ(FileTitle("", &length), " - ") << name;
        EXPECT_EQ(length, 0) << name;
        EXPECT_EQ(GetLength(), 0) << name;
    }
}

// A load that finds no song completes: the player renders one block, finds
// the song not playing and ends it as at a natural end, so the host moves on.
TEST_F(TWahostRobustness, FileWithoutASongEndsAtOnceAndTheHostMovesOn)
{
    std::vector<uint8_t> noise(5000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const std::vector<uint8_t> whole = WriteSong(SteadySong(30));
    const std::vector<uint8_t> half(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(whole.size() / 2));
    const std::vector<std::string> files = {WriteFile("empty.dmf", {}), WriteFile("noise.dmf", noise),
                                            WriteFile("half.dmf", half)};
    for (const std::string& file : files) {
        Host.ClearCalls();
        PlayToEnd(file);
        Stop();
        MainWindow().Settle();
        EXPECT_EQ(Host.NextTrackCommands(), 1) << file;
        EXPECT_EQ(Host.Count("Close"), 1) << file;
        EXPECT_EQ(FileTitle(file.c_str()), FileTitle("")) << file;
    }
    Host.ClearCalls();
    PlayToEnd(files[0]);
    EXPECT_EQ(Host.Count("Write"), 1) << "the empty file renders one block";
}

TEST_F(TWahostRobustness, TransportCallsWithNothingPlayingAreHarmless)
{
    Stop();
    Pause();
    EXPECT_EQ(IsPaused(), 1);
    UnPause();
    EXPECT_EQ(IsPaused(), 0);
    SetOutputTime(1000);
    EXPECT_EQ(GetLength(), 0);
    EXPECT_EQ(GetOutputTime(), 0);
    Stop();
    Stop();
    MainWindow().Settle();
    EXPECT_EQ(Host.NextTrackCommands(), 0);
    EXPECT_EQ(Host.Events(), (std::vector<std::string>{"Pause", "Pause"}));
}

TEST_F(TWahostRobustness, AbsentNameMeansTheCurrentSong)
{
    const std::string song = WriteSongFile("song.dmf", SteadySong(6, "Absent", "Name"));
    PlayToEnd(song);
    EXPECT_EQ(FileTitle(nullptr, nullptr), "Absent - Name");
    EXPECT_EQ(InfoBox(nullptr), 0);
}

// A host that plays again without stopping: the running song ends as at
// Stop (no command for it) and the new one plays.
TEST_F(TWahostRobustness, PlayWhilePlayingEndsTheRunningSongFirst)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(60, "First", "A"));
    const std::string second = WriteSongFile("second.dmf", SteadySong(9, "Second", "B"));
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(20000);
    ASSERT_EQ(Play(first), 0);
    ASSERT_TRUE(Host.WaitUntilWaitingForRoom());
    Host.SetClock(TOutputClock::Instant);
    Host.SetCapacity(TRecordingHost::AmpleRoom);
    PlayToEnd(second);
    Stop();
    MainWindow().Settle();
    EXPECT_EQ(Host.NextTrackCommands(), 1);
    EXPECT_EQ(Host.Count("Open"), 2);
    EXPECT_EQ(Host.Count("Close"), 2);
    std::set<std::thread::id> players;
    for (const THostCall& call : Host.Calls())
        if (call.Thread != MainWindow().Thread())
            players.insert(call.Thread);
    EXPECT_EQ(players.size(), 2u);
    EXPECT_EQ(FileTitle(""), "Second - B");
}

// Winamp asks for playlist titles from threads of its own while its UI
// thread plays, seeks, stops and changes songs: every answer belongs to one
// whole song. Each thread names a file of its own that is not played: loads
// open a file without sharing, so a file another load has open is refused.
TEST_F(TWahostRobustness, FileInformationFromOtherThreadsDuringPlayStopAndSongChanges)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(45, "First Song", "One"));
    const std::string second = WriteSongFile("second.dmf", WithGlobal(SteadySong(24, "Second Song", "Two"), 0, 1, 99));
    const std::string listed[] = {WriteSongFile("listed0.dmf", SteadySong(9, "Listed Song", "Three")),
                                  WriteSongFile("listed1.dmf", SteadySong(15, "Listed Song", "Four"))};
    const std::string missing = TempPath("missing.dmf");
    std::map<std::string, int> lengths = {{" - ", 0}};
    for (const std::string& path : {first, second, listed[0], listed[1]}) {
        TDmf song;
        song.LoadInfoFromFile(path);
        lengths[song.SongName + " - " + song.Composer] = song.LengthMs;
    }

    std::atomic<bool> done{false};
    std::mutex faultsMutex;
    std::vector<std::string> faults;
    const auto reader = [&](int Which) {
        for (int round = 0; !done.load(); ++round) {
            char title[128] = "untouched";
            int length = -1;
            const bool current = (round + Which) % 3 != 0;
            Module->GetFileInfo(current ? "" : listed[Which].c_str(), title, &length);
            const auto known = lengths.find(title);
            if (known == lengths.end() || known->second != length) {
                std::lock_guard<std::mutex> lock(faultsMutex);
                if (faults.size() < 20)
                    faults.push_back(std::string(current ? "current" : "listed") + ": '" + title + "', " +
                                     std::to_string(length));
            }
            Module->GetOutputTime();
            Module->IsPaused();
        }
    };

    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(40000);
    std::thread one(reader, 0);
    std::thread two(reader, 1);
    const std::string songs[] = {first, second, missing};
    const int targets[] = {0, 300, 150, 1 << 30, 40};
    bool completed = true;
    for (int i = 0; i < 12 && completed; ++i) {
        const std::string& song = songs[i % 3];
        const int writes = Host.Count("Write");
        const int played = Play(song);
        if (song == missing) {
            EXPECT_EQ(played, -1);
            continue;
        }
        completed = played == 0 && Host.WaitForCall("Write", writes + 1);
        SetOutputTime(targets[i % 5]);
        if (i % 4 == 1)
            Pause();
        Host.AdvancePlayed(100);
        if (i % 4 == 1)
            UnPause();
        if (completed && i % 5 == 3) {
            // This one ends by itself.
            const int ended = Host.NextTrackCommands();
            Host.SetClock(TOutputClock::Instant);
            completed = Host.WaitForNextTrack(ended + 1);
            Host.SetClock(TOutputClock::Manual);
        }
        Stop();
    }
    done = true;
    one.join();
    two.join();
    EXPECT_TRUE(completed) << "a song did not play or did not end";
    EXPECT_TRUE(faults.empty()) << faults.size() << " wrong answers, the first: " << (faults.empty() ? "" : faults[0]);
}

}  // namespace
