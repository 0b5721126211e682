// Render speed in multiples of real time (the "RealTime" counter: seconds of
// output rendered per second of wall time), single thread.
//
// Example: the bundled example song (the first examples/*.dmf) from its start
// for its whole length, or a small in-memory song when there is none.
// Stress32: all 32 tracks sounding looped 16-bit stereo samples.
// HeaviestTick: the most one tick's mixing can ask, in time per tick: the
// longest tick (2.5 s of output), all 32 voices 16-bit stereo at the highest
// frequency a voice can hold, each wrapping a one-frame loop on every frame.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "module/LoadLog.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "tests/support/MixerProbe.h"

namespace {

// First .dmf file of the examples folder in name order, empty when none.
std::string ExampleSongPath()
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(MORVEL_SOURCE_DIR "/examples", error))
        if (entry.path().extension() == ".dmf")
            found.push_back(entry.path().string());
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : found.front();
}

// Adds sample Number: Length bytes of a sawtooth, looped over its second half.
void AddLoopedSample(TDmf& Song, int Number, int32_t Length, bool Is16Bit, bool Stereo)
{
    Song.SetSampleCount(std::max(Song.SampleCount, Number));
    TSample& sample = *Song.GetSample(Number);
    uint8_t* data = sample.Allocate(Length);
    for (int32_t i = 0; i < Length; ++i)
        data[i] = static_cast<uint8_t>(i * (Number + 3));
    sample.Empty = false;
    sample.Length = Length;
    sample.Rate = 22050 + 1000 * Number;
    sample.Is16Bit = Is16Bit;
    sample.Stereo = Stereo;
    sample.Looped = true;
    sample.LoopStart = Length / 2;
    sample.LoopEnd = Length - 8;
    sample.Enabled = true;
    sample.Volume = 180;
}

// One pattern of Tracks tracks and 1024 rows (about a minute at 60 ticks per
// second); every track starts a note on its first row and a new one every
// 32 rows, cycling through four samples: all 16-bit stereo when AllStereo16,
// else one of each frame format.
std::unique_ptr<TDmf> SyntheticSong(int Tracks, bool AllStereo16)
{
    auto song = std::make_unique<TDmf>();
    song->SetPatternCount(1);
    TPattern& pattern = *song->GetPattern(0);
    pattern.SetTrackCount(Tracks);
    pattern.SetRowCount(1024);
    pattern.RowsPerBeat = 4;
    song->Sequencer.SetEntry(0, 0);
    for (int n = 1; n <= 4; ++n)
        AddLoopedSample(*song, n, 60000, AllStereo16 || n >= 3, AllStereo16 || n % 2 == 0);
    for (int t = 0; t < Tracks; ++t) {
        for (int row = 0; row < 1024; row += 32) {
            TSector& cell = *pattern.Track(t)->Sector(row);
            cell.Instrument = static_cast<uint8_t>(1 + (t + row / 32) % 4);
            cell.Note = static_cast<uint8_t>(30 + (t * 5 + row / 32) % 24);
            cell.VolumeEffect = 7;  // panning spread across the tracks
            cell.VolumeParam = static_cast<uint8_t>(t * 8);
        }
    }
    song->Loaded = true;
    return song;
}

// Renders the song from its start for Seconds of output (or until it ends)
// per iteration, the way the player thread asks for it.
void RenderFromStart(benchmark::State& State, TDmf& Song, double Seconds)
{
    std::vector<uint8_t> block(static_cast<size_t>(MaxBlockBytes));
    const int64_t wanted = static_cast<int64_t>(Seconds * OutputBytesPerSecond);
    int64_t rendered = 0;
    TDmfPlayback playback(Song);
    for (auto _ : State) {
        playback.Start();
        int64_t bytes = 0;
        while (bytes < wanted && playback.Playing())
            bytes += playback.RenderStep(block.data());
        benchmark::DoNotOptimize(block.data());
        rendered += bytes;
    }
    State.counters["RealTime"] =
        benchmark::Counter(static_cast<double>(rendered) / OutputBytesPerSecond, benchmark::Counter::kIsRate);
}

// The example song, loaded (labelled with its file name), or an in-memory
// 8-track song when there is none.
std::unique_ptr<TDmf> ExampleSong(benchmark::State& State)
{
    const std::string path = ExampleSongPath();
    if (path.empty()) {
        State.SetLabel("in-memory 8-track song");
        auto song = SyntheticSong(8, false);
        song->MeasureLength(true);
        return song;
    }
    SetDebugLogConsole(nullptr);
    auto song = std::make_unique<TDmf>();
    song->LoadFromFile(path);
    State.SetLabel(std::filesystem::path(path).filename().string());
    return song;
}

void BM_RenderExample(benchmark::State& State)
{
    auto song = ExampleSong(State);
    // A whole song of at most ten minutes per iteration.
    RenderFromStart(State, *song, 600.0);
}
BENCHMARK(BM_RenderExample)->Unit(benchmark::kMillisecond);

void BM_RenderStress32(benchmark::State& State)
{
    auto song = SyntheticSong(32, true);
    RenderFromStart(State, *song, 20.0);
}
BENCHMARK(BM_RenderStress32)->Unit(benchmark::kMillisecond);

void BM_MixHeaviestTick(benchmark::State& State)
{
    auto song = SyntheticSong(32, true);
    const TSample& sample = *song->GetSample(1);
    song->BlockBytes = MaxBlockBytes;
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = song->Voices[static_cast<size_t>(v)];
        voice = TVoice{};
        voice.Active = true;
        voice.Data = sample.Data;
        voice.DataLength = sample.Length;
        voice.Flags = VoiceFlag16Bit | VoiceFlagStereo;
        voice.Frequency = std::numeric_limits<int32_t>::max();
        voice.Looping = true;
        voice.LoopStart = 1000;
        voice.EndOffset = 1004;  // one frame
        voice.Position = 1000;
        voice.LeftToLeft = voice.RightToRight = 200;
    }
    for (auto _ : State) {
        song->MixTick();
        benchmark::DoNotOptimize(TDmfMixerProbe::TickBuffer(*song).data());
    }
    int active = 0;
    for (const TVoice& voice : song->Voices)
        active += voice.Active ? 1 : 0;
    if (active != MixedVoices)
        State.SkipWithError("a voice stopped: the tick was not the heaviest");
    State.counters["FramesPerTick"] = MaxBlockBytes / 4;
}
BENCHMARK(BM_MixHeaviestTick)->Unit(benchmark::kMillisecond);

// A forward seek from the song's start to Share of its length, as the player
// thread makes it after Play: every tick on the way is skipped (the voices'
// play heads move, nothing is mixed).
void SeekFromStart(benchmark::State& State, TDmf& Song, double Share)
{
    TDmfPlayback playback(Song);
    for (auto _ : State) {
        playback.Start();
        playback.Seek(Song.LengthMs * Share);
        benchmark::DoNotOptimize(playback.PositionMs());
    }
}

void BM_SeekExample(benchmark::State& State)
{
    auto song = ExampleSong(State);
    SeekFromStart(State, *song, static_cast<double>(State.range(0)) / 100);
}
BENCHMARK(BM_SeekExample)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_SeekStress32(benchmark::State& State)
{
    auto song = SyntheticSong(32, true);
    song->MeasureLength(true);
    SeekFromStart(State, *song, static_cast<double>(State.range(0)) / 100);
}
BENCHMARK(BM_SeekStress32)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

// The silent run that measures a song's length at every load.
void BM_LengthRunExample(benchmark::State& State)
{
    auto song = ExampleSong(State);
    for (auto _ : State) {
        song->MeasureLength(true);
        benchmark::DoNotOptimize(song->LengthMs);
    }
}
BENCHMARK(BM_LengthRunExample)->Unit(benchmark::kMicrosecond);

}  // namespace
