// The whole plug-in as Winamp 5 uses it, for a while, from several host
// threads at once: the UI thread plays, pauses, seeks and stops songs and asks
// for the current song's title and the time; playlist threads ask for the
// titles of other files; media-library threads for fields of files; converter
// threads read songs through extended read, with seeks and kill switches; the
// listener opens Config and chooses other sound settings now and then.
// Every song played or read whole must equal the render with the settings it
// started with (and keep them to its end), every answer must belong to the
// file asked about, and a watchdog ends the program with a report when a call
// does not come back (a deadlock).
//
// MORVEL_STRESS_SECONDS sets the length (default 8 s: the test command runs it
// natively, under AddressSanitizer and under ThreadSanitizer);
// MORVEL_STRESS_SEED repeats a run.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "tests/plugin/PluginFixture.h"
#include "tests/support/RenderReference.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr auto HangLimit = std::chrono::seconds(90);

// What one host thread is doing, for the watchdog.
struct TWorker {
    std::string Name;
    std::atomic<const char*> Doing{"starting"};
    std::atomic<int64_t> SinceMs{0};
    std::atomic<int64_t> Calls{0};
};

int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now().time_since_epoch()).count();
}

// Ends the program with every worker's state when one has been in the same
// call for longer than HangLimit.
class TWatchdog {
public:
    explicit TWatchdog(std::vector<TWorker*> Workers) : Workers(std::move(Workers)), Thread([this] { Watch(); }) { }
    ~TWatchdog()
    {
        Done = true;
        Thread.join();
    }

private:
    void Watch()
    {
        while (!Done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            for (const TWorker* worker : Workers) {
                const int64_t stuck = NowMs() - worker->SinceMs.load();
                if (worker->SinceMs.load() != 0 && stuck > std::chrono::milliseconds(HangLimit).count()) {
                    std::fprintf(stderr, "watchdog: %s has been in %s for %lld ms: a deadlock\n", worker->Name.c_str(),
                                 worker->Doing.load(), static_cast<long long>(stuck));
                    for (const TWorker* other : Workers) {
                        std::fprintf(stderr, "  %s: %s (%lld calls)\n", other->Name.c_str(), other->Doing.load(),
                                     static_cast<long long>(other->Calls.load()));
                    }
                    std::fflush(stderr);
                    std::abort();
                }
            }
        }
    }

    std::vector<TWorker*> Workers;
    std::atomic<bool> Done{false};
    std::thread Thread;
};

// Marks what a worker does until the scope ends.
class TDoing {
public:
    TDoing(TWorker& Worker, const char* What) : Worker(Worker)
    {
        Worker.Doing = What;
        Worker.SinceMs = NowMs();
    }
    ~TDoing()
    {
        Worker.SinceMs = 0;
        Worker.Doing = "between calls";
        ++Worker.Calls;
    }

private:
    TWorker& Worker;
};

// The settings the listener switches to and back from: every one other than
// the default, told apart by the rate they announce.
const TSoundSettings Chosen{TInterpolation::Sinc, 48000, 150, true};

struct TStressSong {
    std::string Path;
    std::string Title;  // the playlist's title; empty for a file that holds no module
    int LengthMs = 0;
    std::vector<uint8_t> Pcm;        // the render; empty for no module
    std::vector<uint8_t> ChosenPcm;  // ... with the Chosen settings

    const std::vector<uint8_t>& PcmAt(int64_t Rate) const { return Rate == Chosen.Rate ? ChosenPcm : Pcm; }
};

class TPluginStress : public TPluginTest {
protected:
    void SetUp() override
    {
        // The log of minutes of loads goes nowhere; every entry still takes its lock.
        const std::filesystem::path state = TempPath("state");
        std::filesystem::create_directories(state / "morvel");
        std::error_code ignored;
        std::filesystem::remove(state / "morvel" / "mrvldebug.txt", ignored);
        std::filesystem::create_symlink("/dev/null", state / "morvel" / "mrvldebug.txt");
        Environment.Set("XDG_STATE_HOME", state.c_str());
        TPluginTest::SetUp();
    }

    // Faults found by any thread, the first few kept.
    void Fault(const std::string& Text)
    {
        std::lock_guard<std::mutex> lock(FaultsMutex);
        ++FaultCount;
        if (Faults.size() < 10) {
            Faults.push_back(Text);
        }
    }

    TScopedEnvironment Environment;
    std::mutex FaultsMutex;
    std::vector<std::string> Faults;
    int FaultCount = 0;
};

std::vector<TStressSong> StressSongs()
{
    TWriterSong tempo = WithGlobal(WithGlobal(SteadySong(40, "Two", "Tempos"), 0, 1, 99), 4, 1, 29);
    TWriterSong packed = SteadySong(24, "Packed", "Samples");
    packed.Samples[0].Encoding = TWriterEncoding::Packed;
    packed.MessageLines = {"a message", "of two lines"};
    const std::vector<uint8_t> whole = WriteSong(SteadySong(30));
    const std::pair<std::string, std::string> files[] = {
        {WriteSongFile("steady.dmf", SteadySong(30, "Steady", "One")), "Steady - One"},
        {WriteSongFile("tempo.dmf", tempo), "Two - Tempos"},
        {WriteSongFile("packed.dmf", packed), "Packed - Samples"},
        {WriteSongFile("slowest.dmf", WithGlobal(SteadySong(2, "Slowest", "Tempo"), 0, 2, 1)), "Slowest - Tempo"},
        {WriteFile("half.dmf", std::vector<uint8_t>(whole.begin(), whole.begin() + 400)), ""},
        {WriteFile("empty.dmf", {}), ""},
        {TempPath("missing.dmf"), ""},
    };
    std::vector<TStressSong> songs;
    for (const auto& [path, title] : files) {
        songs.push_back({path, title, 0, {}, {}});
    }
    for (TStressSong& song : songs) {
        if (song.Title.empty()) {
            continue;
        }
        song.Pcm = RenderRaw(song.Path);
        song.ChosenPcm = SoundPcm(song.Path, Chosen);
        TDmf info;
        info.LoadInfoFromFile(song.Path);
        song.LengthMs = info.LengthMs;
    }
    return songs;
}

double Seconds()
{
    const char* text = std::getenv("MORVEL_STRESS_SECONDS");
    const double seconds = text ? std::atof(text) : 0;
    return seconds > 0 ? seconds : 8;
}

unsigned Seed()
{
    const char* text = std::getenv("MORVEL_STRESS_SEED");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : std::random_device{}();
}

TEST_F(TPluginStress, Winamp5FromSeveralThreadsAtOnce)
{
    const std::vector<TStressSong> songs = StressSongs();
    const unsigned seed = Seed();
    const auto end = TClock::now() + std::chrono::duration<double>(Seconds());
    std::printf("stress: %.0f s, seed %u (MORVEL_STRESS_SEED repeats it)\n", Seconds(), seed);
    std::atomic<bool> stop{false};
    std::atomic<int> wholePlays{0};
    std::atomic<int> wholeReads{0};

    TWorker ui{"UI thread"};
    TWorker playlists[2] = {{"playlist 1"}, {"playlist 2"}};
    TWorker libraries[2] = {{"media library 1"}, {"media library 2"}};
    TWorker converters[3] = {{"converter 1"}, {"converter 2"}, {"converter 3"}};
    TWorker listener{"listener"};
    std::vector<TWorker*> all = {&ui, &listener};
    for (TWorker* group : {playlists, libraries}) {
        for (int i = 0; i < 2; ++i) {
            all.push_back(&group[i]);
        }
    }
    for (TWorker& converter : converters) {
        all.push_back(&converter);
    }
    TWatchdog watchdog(all);

    const auto playlistThread = [&](TWorker& Me, unsigned Seed) {
        std::mt19937 random(Seed);
        while (!stop) {
            const TStressSong& song = songs[random() % songs.size()];
            const bool current = random() % 3 == 0;
            char title[2048] = "untouched";
            int length = -1;
            {
                TDoing doing(Me, "GetFileInfo");
                Module->GetFileInfo(current ? "" : song.Path.c_str(), title, &length);
            }
            if (!current && !song.Title.empty() && (title != song.Title || length != song.LengthMs)) {
                Fault(song.Path + ": GetFileInfo gave '" + title + "', " + std::to_string(length));
            }
        }
    };
    const auto libraryThread = [&](TWorker& Me, unsigned Seed) {
        std::mt19937 random(Seed);
        const TWinamp5Exports exports = Winamp5();
        const char* fields[] = {"title", "artist", "length",  "comment",   "formatinformation",
                                "album", "type",   "bitrate", "samplerate"};
        while (!stop) {
            const TStressSong& song = songs[random() % songs.size()];
            const char* field = fields[random() % std::size(fields)];
            const int destLength = 1 + static_cast<int>(random() % 64);
            std::vector<char> dest(static_cast<size_t>(destLength) + 1, '~');
            int answered = 0;
            {
                TDoing doing(Me, "winampGetExtendedFileInfo");
                answered = exports.GetExtendedFileInfo(song.Path.c_str(), field, dest.data(), destLength);
            }
            if (dest.back() != '~') {
                Fault(song.Path + ": " + field + " written past the buffer");
            }
            if (answered && std::string(field) == "length" &&
                dest.data() != std::to_string(song.LengthMs).substr(0, static_cast<size_t>(destLength - 1))) {
                Fault(song.Path + ": length " + dest.data());
            }
            if (answered && song.Title.empty() && std::string(field) != "type") {
                Fault(song.Path + ": " + field + " answered for no module");
            }
            // Either rate the listener switches between; a buffer too short holds neither whole.
            if (answered && std::string(field) == "samplerate" && destLength > 5) {
                const std::string rate = dest.data();
                if (rate != "44100" && rate != std::to_string(Chosen.Rate)) {
                    Fault(song.Path + ": samplerate " + rate);
                }
            }
        }
    };
    const auto converterThread = [&](TWorker& Me, unsigned Seed) {
        std::mt19937 random(Seed);
        const TWinamp5Exports exports = Winamp5();
        std::vector<char> buffer(200000);
        for (bool first = true; !stop; first = false) {
            // The first song of each thread is read whole: every run compares some.
            const TStressSong& song = first ? songs[0] : songs[random() % songs.size()];
            intptr_t handle = 0;
            int size = -1;
            int rate = 0;
            {
                TDoing doing(Me, "winampGetExtendedRead_open");
                handle = exports.ReadOpen(song.Path.c_str(), &size, nullptr, nullptr, &rate);
            }
            if ((handle != 0) == song.Title.empty()) {
                Fault(song.Path + ": open gave " + std::to_string(handle));
            }
            if (handle == 0) {
                continue;
            }
            // Whole, or with seeks and a kill switch now and then.
            const bool whole = first || random() % 2 == 0;
            std::vector<uint8_t> pcm;
            int kill = 0;
            for (int round = 0; whole || !stop; ++round) {  // a whole read is bounded by its song
                if (!whole && random() % 8 == 0) {
                    TDoing doing(Me, "winampGetExtendedRead_setTime");
                    exports.ReadSetTime(handle, static_cast<int>(random() % (song.LengthMs + 2000)));
                }
                kill = !whole && random() % 16 == 0 ? 1 : 0;
                const size_t chunk = 1 + random() % buffer.size();
                size_t got = 0;
                {
                    TDoing doing(Me, "winampGetExtendedRead_getData");
                    got = exports.ReadGetData(handle, buffer.data(), chunk, &kill);
                }
                if (got == 0 && kill == 0) {
                    break;
                }
                pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(got));
            }
            {
                TDoing doing(Me, "winampGetExtendedRead_close");
                exports.ReadClose(handle);
            }
            if (whole) {
                ++wholeReads;
                const std::vector<uint8_t>& expected = song.PcmAt(rate);
                if (pcm != expected || size != static_cast<int>(expected.size())) {
                    Fault(song.Path + ": read " + std::to_string(pcm.size()) + " bytes of " +
                          std::to_string(expected.size()) + " at " + std::to_string(rate) + " Hz");
                }
            }
        }
    };

    // The listener: Config (natively only recorded) and what its OK does,
    // the settings changing under every other thread.
    const auto listenerThread = [&](TWorker& Me, unsigned Seed) {
        std::mt19937 random(Seed);
        while (!stop) {
            {
                TDoing doing(Me, "Config");
                Module->Config(Host.MainWindow());
                DataModule1->SoundSettings.Choose(random() % 2 ? Chosen : TSoundSettings{});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 20));
        }
    };

    std::vector<std::thread> threads;
    threads.emplace_back(listenerThread, std::ref(listener), seed + 31);
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back(playlistThread, std::ref(playlists[i]), seed + 1 + i);
        threads.emplace_back(libraryThread, std::ref(libraries[i]), seed + 11 + i);
    }
    for (int i = 0; i < 3; ++i) {
        threads.emplace_back(converterThread, std::ref(converters[i]), seed + 21 + i);
    }

    // The UI thread: this one.
    std::mt19937 random(seed);
    Host.SetClock(TOutputClock::Manual);
    Host.SetCapacity(OutputBytesPerSecond);
    // The first song plays whole, untouched: every run compares some.
    for (bool first = true; first || TClock::now() < end; first = false) {
        const TStressSong& song = first ? songs[0] : songs[random() % songs.size()];
        Host.ClearCalls();
        int played = 0;
        {
            TDoing doing(ui, "Play");
            played = Play(song.Path);
        }
        // A file without a song plays too, and ends at once; only a missing one is refused.
        if ((played == 0) != std::filesystem::exists(song.Path)) {
            Fault(song.Path + ": Play gave " + std::to_string(played));
        }
        // The settings the song started with, which it keeps to its end.
        const std::shared_ptr<TDmf> current = DataModule1->CurrentSong();
        const TSoundSettings started = current->Sound;
        const std::vector<THostCall> opens = Host.CallsNamed("Open");
        if (played == 0 && (opens.empty() || opens[0].Args[0] != started.Rate)) {
            Fault(song.Path + ": opened at another rate than the song's " + std::to_string(started.Rate));
        }
        bool seeked = false;
        bool paused = false;
        const int actions = first ? 0 : static_cast<int>(random() % 12);
        for (int i = 0; i < actions && played == 0; ++i) {
            TDoing doing(ui, "a transport call");
            switch (random() % 6) {
            case 0:
                paused ? UnPause() : Pause();
                paused = !paused;
                break;
            case 1:
                SetOutputTime(static_cast<int>(random() % (song.LengthMs + 2000)));
                seeked = true;
                break;
            case 2:
                GetOutputTime();
                FileTitle("");
                break;
            default:
                Host.AdvancePlayed(static_cast<double>(random() % 400));
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 5));
                break;
            }
        }
        // Half the runs play to their end; the others are stopped where they are.
        if (played == 0 && (first || random() % 2 == 0)) {
            TDoing doing(ui, "playing to the end");
            if (paused) {
                UnPause();
            }
            Host.SetClock(TOutputClock::Instant);
            if (!Host.WaitForEndOfFile()) {
                Fault(song.Path + ": never ended");
            } else if (!seeked && !song.Title.empty()) {
                ++wholePlays;
                if (Host.Pcm() != song.PcmAt(started.Rate)) {
                    Fault(song.Path + ": played " + std::to_string(Host.Pcm().size()) + " bytes of " +
                          std::to_string(song.PcmAt(started.Rate).size()));
                }
            }
            Host.SetClock(TOutputClock::Manual);
        }
        TDoing doing(ui, "Stop");
        Stop();
        if (!(current->Sound == started)) {
            Fault(song.Path + ": the settings changed while it played");
        }
    }
    stop = true;
    for (std::thread& thread : threads) {
        thread.join();
    }

    int64_t calls = 0;
    for (const TWorker* worker : all) {
        calls += worker->Calls;
    }
    std::printf("stress: %lld calls, %d songs played whole, %d read whole, %d faults\n", static_cast<long long>(calls),
                wholePlays.load(), wholeReads.load(), FaultCount);
    EXPECT_EQ(FaultCount, 0) << "the first: " << (Faults.empty() ? "" : Faults[0]);
    EXPECT_GT(wholePlays.load(), 0);
    EXPECT_GT(wholeReads.load(), 0);
}

}  // namespace
