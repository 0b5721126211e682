#pragma once
// Songs and reference figures for tests that drive the plug-in through a
// recording host, in process or as a loaded library: short songs made with
// the module writer, files named after the running test, and what the
// player must write for a song, computed from the song's own tick lengths.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "player/DmfLimits.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "player/DmfSongTime.h"
#include "tests/support/LoopedTone.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"

// A file in the test's temporary folder, named after the running test so
// that tests never share one.
inline std::string TempPath(const std::string& Name)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string prefix = test ? std::string(test->test_suite_name()) + "." + test->name() + "." : "";
    for (char& c : prefix) {
        if (c == '/') {
            c = '_';
        }
    }
    return ::testing::TempDir() + prefix + Name;
}

inline std::string WriteFile(const std::string& Name, const std::vector<uint8_t>& Bytes)
{
    const std::string path = TempPath(Name);
    WriteFileBytes(path, Bytes);
    return path;
}

inline std::string WriteSongFile(const std::string& Name, const TWriterSong& Song)
{
    return WriteFile(Name, WriteSong(Song));
}

// One pattern of Rows rows and two tracks at the initial tempo (60 ticks per
// second, 2940 bytes a tick), with a looped sample sounding from the first row
// and a second note halfway, so that the PCM is never silence.
inline TWriterSong SteadySong(int Rows, const std::string& Title = "Steady", const std::string& Composer = "Tester")
{
    TWriterSong song;
    song.Title = Title;
    song.Composer = Composer;
    song.Sequence = {0};
    song.SongTracks = 2;
    TWriterPattern pattern(2, Rows);
    pattern.At(0, 0) = {1, 37, 180};
    pattern.At(1, Rows / 2) = {1, 49, 120};
    song.Patterns.push_back(pattern);
    song.Samples = {LoopedTone(512)};
    return song;
}

// A global command (1 tick rate, 2 tempo) at a row of the song's first pattern.
inline TWriterSong WithGlobal(TWriterSong Song, int Row, uint8_t Effect, uint8_t Param)
{
    Song.Patterns.at(0).GlobalAt(Row) = {Effect, Param};
    return Song;
}

// Ticks of 1764 bytes (100 a second, exactly 10 ms) from the first tick on.
inline TWriterSong TenMsSong(int Rows)
{
    return WithGlobal(SteadySong(Rows, "Ten", "Ms"), 0, 1, 99);
}

// The song's tick lengths as it plays from its start: the BlockBytes after
// each tick, up to the tick that ends it.
inline std::vector<int32_t> TickLengths(const std::string& Path)
{
    TDmf song;
    song.LoadFromFile(Path);
    std::vector<int32_t> ticks;
    song.Start();
    do {
        song.SkipBlock();
        ticks.push_back(song.BlockBytes);
    } while (song.Playing && ticks.size() < 1000000);
    return ticks;
}

// The visualisation time of each render step: the rounded sum of the steps before it.
inline std::vector<int64_t> StepTimestamps(const std::vector<int32_t>& Steps)
{
    std::vector<int64_t> times;
    double position = 0;
    for (int32_t n : Steps) {
        times.push_back(std::lround(position));
        position += n / OutputBytesPerMs;
    }
    return times;
}

inline int64_t Sum(const std::vector<int32_t>& Values)
{
    int64_t sum = 0;
    for (int32_t v : Values) {
        sum += v;
    }
    return sum;
}

// What each render step of the player writes for these ticks: the first
// takes the initial 2940 bytes; each later one the length of the last tick
// the song has rendered so far (the song renders whole ticks ahead of what it
// hands out); once the tick that ends the song is rendered, the step after it
// hands out what is left, and the song's length in all has gone out.
inline std::vector<int32_t> ExpectedWrites(const std::vector<int32_t>& Ticks)
{
    const int64_t total = Sum(Ticks);
    std::vector<int32_t> writes;
    int64_t handed = 0;
    int64_t rendered = 0;
    size_t done = 0;
    int64_t n = std::min<int64_t>(InitialTickBytes, total);
    while (n > 0) {
        writes.push_back(static_cast<int32_t>(n));
        handed += n;
        while (rendered < handed) {
            rendered += Ticks[done++];
        }
        n = std::min<int64_t>(Ticks[done - 1], total - handed);
    }
    return writes;
}

// Where a seek from the song's start to Target ends: after the first tick at
// or after it, in bytes and in ms, as the player counts.
inline int64_t SeekEndBytes(const std::vector<int32_t>& Ticks, int Target)
{
    int64_t bytes = 0;
    for (size_t i = 0; TDmfPlayback::MsToBytes(Target) > static_cast<double>(bytes) && i < Ticks.size(); ++i) {
        bytes += Ticks[i];
    }
    return bytes;
}

inline double SeekEnd(const std::vector<int32_t>& Ticks, int Target)
{
    return TDmfPlayback::BytesToMs(SeekEndBytes(Ticks, Target));
}

// The first argument of every recorded call of that name.
inline std::vector<int32_t> FirstArgs(const std::vector<THostCall>& Calls)
{
    std::vector<int32_t> args;
    for (const THostCall& call : Calls) {
        args.push_back(call.Args.empty() ? 0 : static_cast<int32_t>(call.Args[0]));
    }
    return args;
}

inline std::string TitleOf(const std::string& Path)
{
    TDmf song;
    song.LoadInfoFromFile(Path);
    return song.SongName + " - " + song.Composer;
}

// The song's PCM handed out in these portions, straight from the engine.
inline std::vector<uint8_t> EnginePcm(const std::string& Path, const std::vector<int32_t>& Portions)
{
    TDmf song;
    song.LoadFromFile(Path);
    TDmfPlayback playback(song);
    playback.Start();
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> block(static_cast<size_t>(MaxTickBytes));
    for (int32_t n : Portions) {
        playback.Render(block.data(), n);
        pcm.insert(pcm.end(), block.begin(), block.begin() + n);
    }
    return pcm;
}

// The song's whole PCM as the playback pass hands it out with these sound
// settings, which its driver gives the song before the pass starts.
inline std::vector<uint8_t> SoundPcm(const std::string& Path, const TSoundSettings& Sound)
{
    TDmf song;
    song.LoadFromFile(Path);
    song.Sound = Sound;
    TDmfPlayback playback(song);
    playback.Start();
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> step(static_cast<size_t>(MaxTickBytesAt(Sound.Rate)));
    while (const int32_t n = RenderStep(playback, step.data())) {
        pcm.insert(pcm.end(), step.begin(), step.begin() + n);
    }
    return pcm;
}

// The bytes written in each render step: Writes between one SAAddPCMData and the next.
inline std::vector<int32_t> StepWrites(const std::vector<THostCall>& Calls)
{
    std::vector<int32_t> steps;
    for (const THostCall& call : Calls) {
        if (call.Name == "SAAddPCMData") {
            steps.push_back(0);
        } else if (call.Name == "Write" && !steps.empty()) {
            steps.back() += static_cast<int32_t>(call.Args[0]);
        }
    }
    return steps;
}

// The calls since the last Flush.
inline std::vector<THostCall> SinceFlush(const std::vector<THostCall>& Calls)
{
    size_t start = 0;
    for (size_t i = 0; i < Calls.size(); ++i) {
        if (Calls[i].Name == "Flush") {
            start = i + 1;
        }
    }
    return {Calls.begin() + static_cast<ptrdiff_t>(start), Calls.end()};
}

// Calls of that name among these.
inline int CountNamed(const std::vector<THostCall>& Calls, const std::string& Name)
{
    return static_cast<int>(
        std::count_if(Calls.begin(), Calls.end(), [&](const THostCall& Call) { return Call.Name == Name; }));
}

// Ms of audio handed to the output before the first Flush, as the player counts it.
inline double PositionBeforeFlush(const std::vector<THostCall>& Calls)
{
    double position = 0;
    for (const THostCall& call : Calls) {
        if (call.Name == "Flush") {
            break;
        }
        if (call.Name == "Write") {
            position += static_cast<double>(call.Args[0]) / OutputBytesPerMs;
        }
    }
    return position;
}
