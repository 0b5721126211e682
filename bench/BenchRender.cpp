// Render speed in multiples of real time (the "RealTime" counter: seconds of
// output rendered per second of wall time), single thread.
//
// Example: the bundled example song (the first examples/*.dmf) from its start
// for its whole length, or a small in-memory song when there is none.
// Stress32: all 32 tracks sounding looped 16-bit stereo samples, a new note
// every 32 rows.
// AllVoices32: 32 tracks of every frame format, each holding one looped note
// from the first tick to the end: all 32 voices mix on every tick.
// HeaviestTick: the most one tick's mixing can ask, in time per tick: the
// longest tick (2.5 s of output), all 32 voices 16-bit stereo at the highest
// frequency a voice can hold, each wrapping a one-frame loop on every frame.
// ShortLoops: 32 voices going round short loops, passed in 4 to 256 output
// frames.
// AtStep: 32 voices of 16-bit mono and stereo moving 0.5 to 8 frames of a
// long loop for each output frame (the step, in hundredths).
// Each of these runs on every path of the mixer under every interpolation
// (NAME/PATH/INTERPOLATION: plain, sse2 or avx2; none, linear, cubic or
// sinc), a path the processor lacks skipped.
// ExampleSound, Stress32Sound: the sound settings' cost on the widest path,
// the example song and Stress32 at output rates 44100, 96000 and 192000 Hz,
// with stereo separation, click removal or both, and under sinc (arguments:
// rate, separation, click removal, interpolation).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSongs.h"
#include "module/LoadLog.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "player/DmfSoundSettings.h"
#include "tests/support/MixerProbe.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/ScopedCodePath.h"

namespace {

// The mixer's path a benchmark runs on is Taken's; false (the run skipped)
// when that is not the one it asked for: the processor or the build has none.
bool OnCodePath(benchmark::State& State, const TScopedCodePath& Taken, TCodePath Path)
{
    if (Taken.Path() == Path) {
        return true;
    }
    State.SkipWithError("no such path of the mixer here");
    return false;
}

// A benchmark of the mixer under an interpolation: Function(State, Interpolation).
using TMixerBenchmark = void (*)(benchmark::State&, TInterpolation);

// Registers Function as NAME/PATH/INTERPOLATION on every path under every
// interpolation, each run with the arguments of Args, timed in Unit; it runs
// on its path (skipped where there is none).
bool RegisterOnCodePaths(const char* Name, TMixerBenchmark Function, benchmark::TimeUnit Unit,
                         std::initializer_list<int64_t> Args = {})
{
    for (const TCodePath path : CodePaths) {
        for (const TInterpolation interpolation : Interpolations) {
            const std::string name =
                std::string(Name) + "/" + CodePathName(path) + "/" + InterpolationName(interpolation);
            benchmark::internal::Benchmark* benchmark =
                benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& State) {
                    const TScopedCodePath taken(path);
                    if (OnCodePath(State, taken, path)) {
                        Function(State, interpolation);
                    }
                });
            benchmark->Unit(Unit);
            for (const int64_t arg : Args) {
                benchmark->Arg(arg);
            }
        }
    }
    return true;
}

#define BENCHMARK_ON_CODE_PATHS(Function, ...)                                                                         \
    [[maybe_unused]] const bool Function##Registered = RegisterOnCodePaths(#Function, Function, __VA_ARGS__)

// Renders the song from its start for Seconds of song time (or until it
// ends) per iteration, the way the player thread asks for it, at the song's
// output rate. Counters: RealTime, seconds of song rendered per second;
// Voices, the voices sounding after each step on average; VoiceFrame, the
// time per voice and output frame that gives; OutputFrame, per output frame.
void RenderFromStart(benchmark::State& State, TDmf& Song, double Seconds)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(StepRoomBytes));
    double renderedMs = 0.0;
    double outputFrames = 0.0;
    double voiceFrames = 0.0;
    TDmfPlayback playback(Song);
    for (auto _ : State) {
        playback.Start();
        while (playback.PositionMs() < Seconds * 1000 && playback.Playing()) {
            const int32_t frames = RenderStep(playback, buffer.data()) / OutputBytesPerFrame;
            const auto sounding = std::count_if(Song.Voices.begin(), Song.Voices.begin() + MixedVoices,
                                                [](const TVoice& Voice) { return Voice.Active; });
            outputFrames += frames;
            voiceFrames += static_cast<double>(sounding) * frames;
        }
        benchmark::DoNotOptimize(buffer.data());
        renderedMs += playback.PositionMs();
    }
    State.counters["RealTime"] = benchmark::Counter(renderedMs / 1000, benchmark::Counter::kIsRate);
    State.counters["Voices"] = voiceFrames / std::max(1.0, outputFrames);
    State.counters["VoiceFrame"] =
        benchmark::Counter(voiceFrames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    State.counters["OutputFrame"] =
        benchmark::Counter(outputFrames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The sound settings the benchmark's arguments name: rate, separation, click removal.
TSoundSettings SoundOf(const benchmark::State& State)
{
    return {.Interpolation = static_cast<TInterpolation>(State.range(3)),
            .Rate = static_cast<int32_t>(State.range(0)),
            .Separation = static_cast<int32_t>(State.range(1)),
            .ClickRemoval = State.range(2) != 0};
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

void BM_RenderExample(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = ExampleSong(State);
    song->Sound.Interpolation = Interpolation;
    // A whole song of at most ten minutes per iteration.
    RenderFromStart(State, *song, 600.0);
}
BENCHMARK_ON_CODE_PATHS(BM_RenderExample, benchmark::kMillisecond);

void BM_RenderStress32(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = SyntheticSong(32, true);
    song->Sound.Interpolation = Interpolation;
    RenderFromStart(State, *song, 20.0);
}
BENCHMARK_ON_CODE_PATHS(BM_RenderStress32, benchmark::kMillisecond);

void BM_RenderAllVoices32(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = SyntheticSong(32, false, TSyntheticNotes::HeldFromTheStart);
    song->Sound.Interpolation = Interpolation;
    RenderFromStart(State, *song, 20.0);
}
BENCHMARK_ON_CODE_PATHS(BM_RenderAllVoices32, benchmark::kMillisecond);

// Each sound setting on its own, both together, and the higher rates.
#define BENCHMARK_SOUND_SETTINGS(Function)                                                                             \
    BENCHMARK(Function)                                                                                                \
        ->ArgNames({"rate", "separation", "clicks", "interpolation"})                                                  \
        ->Args({44100, 100, 0, Linear})                                                                                \
        ->Args({44100, 150, 0, Linear})                                                                                \
        ->Args({44100, 100, 1, Linear})                                                                                \
        ->Args({44100, 150, 1, Linear})                                                                                \
        ->Args({96000, 100, 0, Linear})                                                                                \
        ->Args({192000, 100, 0, Linear})                                                                               \
        ->Args({192000, 150, 1, Linear})                                                                               \
        ->Args({44100, 100, 0, Sinc})                                                                                  \
        ->Args({96000, 100, 0, Sinc})                                                                                  \
        ->Unit(benchmark::kMillisecond)

// The interpolations as benchmark arguments.
constexpr int64_t Linear = static_cast<int64_t>(TInterpolation::Linear);
constexpr int64_t Sinc = static_cast<int64_t>(TInterpolation::Sinc);

void BM_RenderExampleSound(benchmark::State& State)
{
    auto song = ExampleSong(State);
    song->Sound = SoundOf(State);
    RenderFromStart(State, *song, 600.0);
}
BENCHMARK_SOUND_SETTINGS(BM_RenderExampleSound);

void BM_RenderStress32Sound(benchmark::State& State)
{
    auto song = SyntheticSong(32, true);
    song->Sound = SoundOf(State);
    RenderFromStart(State, *song, 20.0);
}
BENCHMARK_SOUND_SETTINGS(BM_RenderStress32Sound);

// Sets all 32 voices going round the loop LoopStart..EndOffset of song
// sample 1 in the frame format Flags at Frequency, from the loop's start.
void LoopAllVoices(TDmf& Song, uint8_t Flags, int32_t Frequency, int32_t LoopStart, int32_t EndOffset)
{
    const TSample& sample = *Song.GetSample(1);
    for (int v = 0; v < MixedVoices; ++v) {
        TVoice& voice = Song.Voices[static_cast<size_t>(v)];
        voice = TVoice{};
        voice.Active = true;
        voice.Data = sample.Data;
        voice.DataLength = sample.Length;
        voice.Flags = Flags;
        voice.Frequency = Frequency;
        voice.Looping = true;
        voice.LoopStart = LoopStart;
        voice.EndOffset = EndOffset;
        voice.Position = LoopStart;
        voice.LeftGain = voice.RightGain = 100;
        voice.LeftToLeft = voice.RightToRight = 200;
    }
}

// Mixes the song's tick over and over; skipped when a voice stops.
void MixTicks(benchmark::State& State, TDmf& Song)
{
    for (auto _ : State) {
        Song.MixTick();
        benchmark::DoNotOptimize(TDmfMixerProbe::TickBuffer(Song).data());
    }
    for (int v = 0; v < MixedVoices; ++v) {
        if (!Song.Voices[static_cast<size_t>(v)].Active) {
            State.SkipWithError("a voice stopped");
        }
    }
}

// Mixes ticks of 735 frames (60 a second) over and over (MixTicks). Counter
// VoiceFrame: the time per voice and output frame.
void MixTicksOf735Frames(benchmark::State& State, TDmf& Song)
{
    Song.BlockBytes = 735 * 4;
    MixTicks(State, Song);
    State.counters["VoiceFrame"] = benchmark::Counter(static_cast<double>(State.iterations()) * MixedVoices * 735,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MixHeaviestTick(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = SyntheticSong(32, true);
    song->Sound.Interpolation = Interpolation;
    song->BlockBytes = MaxTickBytes;
    // One frame looped at the highest frequency.
    LoopAllVoices(*song, VoiceFlag16Bit | VoiceFlagStereo, std::numeric_limits<int32_t>::max(), 1000, 1004);
    MixTicks(State, *song);
    State.counters["FramesPerTick"] = MaxTickBytes / 4;
}
BENCHMARK_ON_CODE_PATHS(BM_MixHeaviestTick, benchmark::kMillisecond);

// A tick at 60 per second of 32 voices, each going round a 32-frame loop of
// an 8-bit mono sample (a chip tune's waveform) that it passes in
// State.range(0) output frames.
void BM_MixShortLoops(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = SyntheticSong(32, false);
    song->Sound.Interpolation = Interpolation;
    const auto passFrames = static_cast<int32_t>(State.range(0));
    LoopAllVoices(*song, 0, OutputRate * 32 / passFrames, 1000, 1032);
    MixTicksOf735Frames(State, *song);
}
BENCHMARK_ON_CODE_PATHS(BM_MixShortLoops, benchmark::kNanosecond, {4, 16, 64, 256});

// A tick at 60 per second of 32 voices, half 16-bit mono, half 16-bit
// stereo, each moving State.range(0) / 100 frames of a long loop for each
// output frame.
void BM_MixAtStep(benchmark::State& State, TInterpolation Interpolation)
{
    auto song = SyntheticSong(32, true);
    song->Sound.Interpolation = Interpolation;
    const auto frequency = static_cast<int32_t>(OutputRate * State.range(0) / 100);
    const int32_t bytes = song->GetSample(1)->Length;
    LoopAllVoices(*song, VoiceFlag16Bit, frequency, 0, bytes / 2 - 64);
    for (int v = 0; v < MixedVoices; v += 2) {
        song->Voices[static_cast<size_t>(v)].Flags = VoiceFlag16Bit | VoiceFlagStereo;
        song->Voices[static_cast<size_t>(v)].EndOffset = bytes - 64;
    }
    MixTicksOf735Frames(State, *song);
}
BENCHMARK_ON_CODE_PATHS(BM_MixAtStep, benchmark::kNanosecond, {50, 100, 137, 200, 400, 800});

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
