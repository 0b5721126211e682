// Host threads asking for file information while another host thread plays,
// seeks, stops and changes songs: every answer belongs to one whole song.
// Meant for the ThreadSanitizer build as much as for the plain one.

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "tests/plugin/PluginFixture.h"

namespace {

using TPluginConcurrency = TPluginTest;

TEST_F(TPluginConcurrency, FileInformationDuringPlayStopAndSongChanges)
{
    const std::string first = WriteSongFile("first.dmf", SteadySong(45, "First Song", "One"));
    const std::string second = WriteSongFile("second.dmf", WithGlobal(SteadySong(24, "Second Song", "Two"), 0, 1, 99));
    const std::string missing = TempPath("missing.dmf");
    // Title and length of every song the current one can be.
    std::map<std::string, int> lengths = {{" - ", 0}};
    for (const std::string& path : {first, second}) {
        TDmf song;
        song.LoadInfoFromFile(path);
        lengths[song.SongName + " - " + song.Composer] = song.LengthMs;
    }

    std::atomic<bool> done{false};
    std::mutex faultsMutex;
    std::vector<std::string> faults;
    const auto fault = [&](const std::string& Text) {
        std::lock_guard<std::mutex> lock(faultsMutex);
        if (faults.size() < 20)
            faults.push_back(Text);
    };
    const auto reader = [&](int Which) {
        for (int round = 0; !done.load(); ++round) {
            char title[128] = "untouched";
            int length = -1;
            const bool current = (round + Which) % 3 != 0;
            Module->GetFileInfo(current ? "" : first.c_str(), title, &length);
            const auto known = lengths.find(title);
            if (known == lengths.end() || known->second != length)
                fault(std::string(current ? "current" : "first") + ": '" + title + "', " + std::to_string(length));
            if (round % 4 == Which && Module->InfoBox("", nullptr) != 0)
                fault("InfoBox did not return 0");
            Module->GetOutputTime();
            Module->IsPaused();
        }
    };

    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(40000);
    std::thread one(reader, 0);
    std::thread two(reader, 1);
    // The readers end with the test, also when an assertion ends it early.
    struct TReaders {
        std::atomic<bool>& Done;
        std::thread& One;
        std::thread& Two;
        void Join()
        {
            Done = true;
            if (One.joinable())
                One.join();
            if (Two.joinable())
                Two.join();
        }
        ~TReaders() { Join(); }
    } readers{done, one, two};
    const std::string songs[] = {first, second, missing};
    const int targets[] = {0, 300, 150, 1 << 30, 40};
    for (int i = 0; i < 24; ++i) {
        const std::string& song = songs[i % 3];
        // Counted before Play: the player may write before Play returns.
        const int writes = Host.Count("Write");
        const int played = Module->Play(song.c_str());
        if (song == missing) {
            EXPECT_EQ(played, -1);
            continue;
        }
        ASSERT_EQ(played, 0);
        ASSERT_TRUE(Host.WaitForCall("Write", writes + 1));
        Module->SetOutputTime(targets[i % 5]);
        if (i % 4 == 1)
            Module->Pause();
        Host.AdvancePlayed(100);
        if (i % 4 == 1)
            Module->UnPause();
        if (i % 5 == 3) {
            // This one ends by itself.
            const int ended = Host.NextTrackCommands();
            Host.SetClock(TOutputClock::Instant);
            ASSERT_TRUE(Host.WaitForNextTrack(ended + 1));
            Host.SetClock(TOutputClock::Manual);
        }
        Module->Stop();
    }
    readers.Join();
    EXPECT_TRUE(faults.empty()) << faults.size() << " wrong answers, the first: " << (faults.empty() ? "" : faults[0]);
    EXPECT_TRUE(PlatformRecordSnapshot().MessageBoxes.empty());
}

}  // namespace
