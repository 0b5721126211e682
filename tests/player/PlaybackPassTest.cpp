// The playback pass: render steps, the play position and the seek, checked
// against rendering through and against a fresh start: the whole song goes
// out, its length to the byte, and after any seek the song sounds from the
// landing point as it does when played through.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <vector>

#include "player/DmfPlayback.h"
#include "player/DmfSongTime.h"
#include "tests/player/TempoChangeSong.h"
#include "tests/support/PlaybackSteps.h"

namespace {

// Where the sequencer stands: equal states play on alike.
struct TSequencerPlace {
    uint16_t SequencePos;
    uint16_t CurrentRow;
    uint8_t TickCountdown;
    int32_t BlockBytes;
    bool Playing;
    bool operator==(const TSequencerPlace&) const = default;
};

TSequencerPlace PlaceOf(const TDmf& Song)
{
    return {Song.SequencePos, Song.CurrentRow, Song.TickCountdown, Song.BlockBytes, Song.Playing};
}

// A sample of Length bytes in one frame format, its bytes a pattern of its own.
TSample& PatternedSample(TDmf& Song, int Number, int32_t Rate, int32_t Length, bool Is16Bit, bool Stereo)
{
    TSample& sample = AddSample(Song, Number, Rate, Length, Is16Bit, Stereo);
    uint8_t* data = sample.Allocate(Length);
    for (int32_t i = 0; i < Length; ++i) {
        data[i] = static_cast<uint8_t>((i * 7 * Number) ^ (i >> 4));
    }
    return sample;
}

// Four tracks over two patterns, one frame format each: 8-bit mono looped,
// 8-bit stereo one-shot, 16-bit mono one-shot, 16-bit stereo looped, and a
// fifth sample without a rate (its voice holds still). Notes start every few
// rows, some reaching their sample's end, some still sounding when the next
// one comes; TickRate and Tempo (global effect parameters, -1 for none) set
// at row 0 choose the tick length, and row 9 of the second pattern (when
// there is one) changes it.
std::unique_ptr<TDmf> FormatsSong(int TickRate, int Tempo, int Rows = 24)
{
    auto song = MakeSong(2, 5, Rows, 4);
    PatternedSample(*song, 1, 16000, 30000, false, false).Looped = true;
    PatternedSample(*song, 2, 22050, 9000, false, true);
    PatternedSample(*song, 3, 30000, 12000, true, false);
    PatternedSample(*song, 4, 44100, 50000, true, true).Looped = true;
    PatternedSample(*song, 5, 0, 4000, false, false);
    for (int n : {1, 4}) {
        TSample& sample = *song->GetSample(n);
        sample.LoopStart = sample.Length / 4;
        sample.LoopEnd = sample.Length - 8;
    }
    for (int p = 0; p < 2; ++p) {
        for (int t = 0; t < 5; ++t) {
            for (int row = t % Rows; row < Rows; row += 5 + t) {
                Cell(*song, p, t, row) = {.Instrument = static_cast<uint8_t>(1 + t),
                                          .Note = static_cast<uint8_t>(30 + (row * 3 + t * 7) % 40)};
            }
        }
    }
    if (TickRate >= 0) {
        SetGlobal(*song, 0, 0, 1, static_cast<uint8_t>(TickRate));
    }
    if (Tempo >= 0) {
        SetGlobal(*song, 0, 0, 2, static_cast<uint8_t>(Tempo));
    }
    if (Rows > 9) {
        SetGlobal(*song, 1, 9, 1, 150);
    }
    song->MeasureLength(true);
    return song;
}

struct TPassSong {
    const char* Name;
    std::unique_ptr<TDmf> (*Make)();
};

// Tick lengths of every kind: longer than the first step (the song holds the
// rest of each tick), shorter (a step renders two), the slowest (2.5 s) and
// the fastest, and a song shorter than one step.
const TPassSong PassSongs[] = {
    {"tempo changes",
     [] {
         auto song = TempoChangeSong();
         song->MeasureLength(true);
         return song;
     }},
    {"50 ticks a second", [] { return FormatsSong(49, -1); }},
    {"200 ticks a second", [] { return FormatsSong(199, -1); }},
    {"slowest", [] { return FormatsSong(-1, 1, 1); }},
    {"one short tick",
     [] {
         auto song = MakeSong(1, 1, 1);
         SetGlobal(*song, 0, 0, 1, 255);
         song->MeasureLength(true);
         return song;
     }},
};

// The song's output stream as RenderBlock gives it in any portions: the
// ticks' mixes one after another.
std::vector<uint8_t> TickStream(TDmf& Song, int64_t Bytes)
{
    Song.Start();
    std::vector<uint8_t> out;
    std::vector<uint8_t> buffer(4000);
    while (static_cast<int64_t>(out.size()) < Bytes) {
        Song.RenderBlock(buffer.data(), 4000);
        out.insert(out.end(), buffer.begin(), buffer.end());
    }
    out.resize(static_cast<size_t>(Bytes));
    Song.Stop();
    return out;
}

TEST(PlaybackPass, RenderingToTheEndHandsOutTheSongsLengthToTheByte)
{
    for (const TPassSong& kind : PassSongs) {
        SCOPED_TRACE(kind.Name);
        auto song = kind.Make();
        const int64_t length = song->LengthBytes;
        TDmfPlayback playback(*song);
        const std::vector<uint8_t> pcm = RenderToEnd(playback);
        EXPECT_EQ(static_cast<int64_t>(pcm.size()), length);
        EXPECT_EQ(std::lround(static_cast<double>(pcm.size()) / OutputBytesPerMs), song->LengthMs);
        EXPECT_EQ(playback.PositionBytes(), length);
        EXPECT_EQ(playback.StepBytes(), 0);
        // The last step is the rest of the tick that ended the song: the
        // stream is the ticks' mixes, none cut short and none added.
        EXPECT_TRUE(pcm == TickStream(*kind.Make(), length));

        // The length run leaves the song at its start: what plays after it is what a fresh song plays.
        auto fresh = kind.Make();
        TDmfPlayback freshPlayback(*fresh);
        EXPECT_TRUE(pcm == RenderToEnd(freshPlayback));
    }
}

TEST(PlaybackPass, ASongNeverMeasuredIsMeasuredWhenItStarts)
{
    auto song = TempoChangeSong();
    ASSERT_EQ(song->LengthBytes, 0);
    TDmfPlayback playback(*song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    EXPECT_GT(song->LengthBytes, 0);
    EXPECT_EQ(static_cast<int64_t>(pcm.size()), song->LengthBytes);
}

// A file with no end block never plays; its length is the one silent step
// the player renders before it finds the song stopped.
TEST(PlaybackPass, ASongThatNeverLoadedHandsOutOneSilentStep)
{
    TDmf song;
    song.MeasureLength(true);
    TDmfPlayback playback(song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    EXPECT_EQ(static_cast<int64_t>(pcm.size()), song.LengthBytes);
    EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 0), static_cast<long>(pcm.size()));
}

// The longest song a file can hold is cut at the 32-bit byte total, a tick
// boundary: the player stops there, where its length says, not a step later.
TEST(PlaybackPass, ASongCutAtTheByteTotalEndsWhereItsLengthSays)
{
    // 256 ticks a second over 2048 times 512 rows: more than 2^31 bytes.
    auto song = MakeSong(1, 1, 512);
    SetGlobal(*song, 0, 0, 1, 255);
    for (int i = 0; i < MaxSequenceEntries; ++i) {
        song->Sequencer.SetEntry(i, 0);
    }
    song->Sequencer.SetLoopEnd(MaxSequenceEntries - 1);
    song->MeasureLength(true);
    ASSERT_GT(song->LengthBytes, std::numeric_limits<int32_t>::max() - 688);
    ASSERT_LE(song->LengthBytes, std::numeric_limits<int32_t>::max());
    TDmfPlayback playback(*song);
    playback.Start();
    playback.Seek(song->LengthMs - 1000);
    EXPECT_TRUE(song->Playing);
    int64_t rest = 0;
    std::vector<uint8_t> buffer(MaxTickBytes);
    while (playback.Playing()) {
        rest += RenderStep(playback, buffer.data());
    }
    EXPECT_EQ(playback.PositionBytes(), song->LengthBytes);
    EXPECT_GT(rest, 0);
    EXPECT_TRUE(song->Playing) << "the song itself would go on";
}

TEST(PlaybackPass, SeekAtASteadyTempoLandsWhereRenderingThroughArrives)
{
    auto rendered = MakeSong(1, 1, 64, 4);
    TDmfPlayback through(*rendered);
    through.Start();
    std::vector<uint8_t> buffer(MaxTickBytes);
    const double target = 250;
    while (through.PositionMs() < target) {
        RenderStep(through, buffer.data());
    }

    auto skipped = MakeSong(1, 1, 64, 4);
    TDmfPlayback seek(*skipped);
    seek.Start();
    seek.Seek(target);
    EXPECT_DOUBLE_EQ(seek.PositionMs(), through.PositionMs());
    EXPECT_EQ(PlaceOf(*skipped), PlaceOf(*rendered));
}

TEST(PlaybackPass, SeekLandsAtTheEndOfTheFirstTickAtOrAfterItsTarget)
{
    // The tick ends as the song runs through them, across both tempo changes.
    auto ticks = TempoChangeSong();
    ticks->Start();
    std::vector<int64_t> ends;
    std::vector<TSequencerPlace> places;
    int64_t end = 0;
    while (ticks->Playing) {
        ticks->SkipBlock();
        end += ticks->BlockBytes;
        ends.push_back(end);
        places.push_back(PlaceOf(*ticks));
    }
    ASSERT_GT(ends.size(), 20u);

    // Whole milliseconds, as the host asks, and a fraction inside a tick (a
    // target on a tick's end: ATargetOnATicksEndLandsThere).
    const double insideTick = std::floor(TDmfPlayback::BytesToMs(ends[20])) + 0.5;
    for (const double target : {1.0, 35.0, std::floor(TDmfPlayback::BytesToMs(ends[10])), insideTick,
                                std::floor(TDmfPlayback::BytesToMs(ends[ends.size() - 3]))}) {
        auto song = TempoChangeSong();
        TDmfPlayback playback(*song);
        playback.Start();
        playback.Seek(target);
        size_t tick = 0;
        while (static_cast<double>(ends[tick]) < target * OutputBytesPerMs - 1e-6) {
            ++tick;
        }
        EXPECT_EQ(playback.PositionBytes(), ends[tick]) << target;
        EXPECT_EQ(PlaceOf(*song), places[tick]) << target;
    }
}

TEST(PlaybackPass, SeekBackRestartsAndLandsAsAFreshSeek)
{
    auto song = TempoChangeSong();
    TDmfPlayback playback(*song);
    playback.Start();
    std::vector<uint8_t> buffer(MaxTickBytes);
    while (playback.PositionMs() < 600) {
        RenderStep(playback, buffer.data());
    }
    playback.Seek(playback.PositionMs() + 200);  // forward: on from here, past both tempo changes
    const double forward = playback.PositionMs();
    playback.Seek(130);

    auto fresh = TempoChangeSong();
    TDmfPlayback freshPlayback(*fresh);
    freshPlayback.Start();
    freshPlayback.Seek(130);
    EXPECT_GT(forward, 800);
    EXPECT_DOUBLE_EQ(playback.PositionMs(), freshPlayback.PositionMs());
    EXPECT_EQ(PlaceOf(*song), PlaceOf(*fresh));
    EXPECT_GE(playback.PositionMs(), 130);
}

TEST(PlaybackPass, SeekEndsAtTheSongsEndOrWhenCancelledOrAtItsTarget)
{
    auto song = TempoChangeSong();
    TDmfPlayback playback(*song);
    playback.Start();
    std::atomic<bool> cancel{true};
    playback.Seek(1e9, &cancel);
    EXPECT_EQ(playback.PositionMs(), 0);
    EXPECT_TRUE(playback.Playing());

    cancel = false;
    playback.Seek(1e9, &cancel);
    EXPECT_FALSE(playback.Playing());
    EXPECT_GT(playback.PositionMs(), 0);
    EXPECT_LT(playback.PositionMs(), 60000);

    // A target at the position moves nothing.
    const TSequencerPlace before = PlaceOf(*song);
    const double position = playback.PositionMs();
    playback.Seek(position);
    EXPECT_EQ(playback.PositionMs(), position);
    EXPECT_EQ(PlaceOf(*song), before);
}

// The sound settings the pass is held to at every rate: the output rates
// (an odd one among them), and click removal and stereo separation, whose
// ramps and fading notes a seek must carry exactly as playing through does.
struct TPassSound {
    const char* Name;
    TSoundSettings Sound;
};

const TPassSound PassSounds[] = {
    {"8000 Hz", {.Rate = 8000}},
    {"22050 Hz", {.Rate = 22050}},
    {"44101 Hz", {.Rate = 44101}},
    {"48000 Hz", {.Rate = 48000}},
    {"96000 Hz", {.Rate = 96000}},
    {"192000 Hz", {.Rate = 192000}},
    {"click removal", {.ClickRemoval = true}},
    {"8000 Hz, no separation, click removal", {.Rate = 8000, .Separation = 0, .ClickRemoval = true}},
    {"48000 Hz, separation 150 %, click removal", {.Rate = 48000, .Separation = 150, .ClickRemoval = true}},
    {"192000 Hz, click removal", {.Rate = 192000, .ClickRemoval = true}},
    {"sinc, click removal", {.Interpolation = TInterpolation::Sinc, .ClickRemoval = true}},
    {"cubic, 48000 Hz, click removal",
     {.Interpolation = TInterpolation::Cubic, .Rate = 48000, .Separation = 50, .ClickRemoval = true}},
    {"none, 22050 Hz", {.Interpolation = TInterpolation::None, .Rate = 22050}},
};

std::unique_ptr<TDmf> PassSong(const TPassSong& Kind, const TSoundSettings& Sound)
{
    auto song = Kind.Make();
    song->Sound = Sound;
    return song;
}

// The whole song step by step, and the song time after each step.
std::vector<uint8_t> RenderSteps(TDmf& Song, std::vector<int64_t>& Ends)
{
    TDmfPlayback playback(Song);
    playback.Start();
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(StepRoomBytes);
    while (playback.Playing()) {
        const int32_t n = RenderStep(playback, buffer.data());
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
        Ends.push_back(playback.PositionBytes());
    }
    return pcm;
}

// The whole song in portions of Portion bytes (the last one shorter).
std::vector<uint8_t> RenderPortions(TDmf& Song, int32_t Portion)
{
    TDmfPlayback playback(Song);
    playback.Start();
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> buffer(static_cast<size_t>(Portion));
    while (static_cast<int64_t>(pcm.size()) < playback.LengthOutputBytes()) {
        const auto n = std::min<int64_t>(Portion, playback.LengthOutputBytes() - static_cast<int64_t>(pcm.size()));
        playback.Render(buffer.data(), static_cast<int32_t>(n));
        pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    EXPECT_FALSE(playback.Playing());
    return pcm;
}

TEST(PlaybackPass, AtEveryRateEachStepEndsAtTheSongTimeItDoesAt44100AndTheSongsFramesGoOut)
{
    for (const TPassSong& kind : PassSongs) {
        std::vector<int64_t> ends;
        RenderSteps(*kind.Make(), ends);
        for (size_t i = 0; i < std::size(PassSounds); ++i) {
            const TSoundSettings& sound = PassSounds[i].Sound;
            if (sound.ClickRemoval) {
                continue;  // the rate alone decides the counts
            }
            SCOPED_TRACE(std::string(kind.Name) + " at " + PassSounds[i].Name);
            auto song = PassSong(kind, sound);
            std::vector<int64_t> rateEnds;
            const std::vector<uint8_t> pcm = RenderSteps(*song, rateEnds);
            EXPECT_EQ(rateEnds, ends);
            // round(F x R / 44100) frames, F the song's frames at 44100 Hz.
            const int64_t frames = song->LengthBytes / 4;
            EXPECT_EQ(static_cast<int64_t>(pcm.size()), 4 * ((frames * sound.Rate + 22050) / 44100));
            // The same stream in portions across steps and inside them.
            const int32_t portion = i % 2 == 0 ? 4 * 37 + 2 : MaxTickBytesAt(sound.Rate);
            EXPECT_TRUE(RenderPortions(*song, portion) == pcm) << portion;
        }
    }
}

// Plays to From (0: from a fresh start), seeks to To: everything handed out
// after the seek is the song played through, from the landing point on.
// Returns the landing point in song time.
int64_t ExpectSeekSoundsAsPlayingThrough(const TPassSong& Kind, const TSoundSettings& Sound,
                                         const std::vector<uint8_t>& Through, double From, double To)
{
    SCOPED_TRACE(std::string(Kind.Name) + ": " + std::to_string(From) + " ms to " + std::to_string(To) + " ms");
    auto song = PassSong(Kind, Sound);
    TDmfPlayback playback(*song);
    playback.Start();
    std::vector<uint8_t> buffer(StepRoomBytes);
    while (playback.Playing() && playback.PositionMs() < From) {
        RenderStep(playback, buffer.data());
    }
    playback.Seek(To);
    const int64_t landing = playback.PositionBytes();
    EXPECT_GE(TDmfPlayback::BytesToMs(landing), std::min(To, TDmfPlayback::BytesToMs(song->LengthBytes)));
    EXPECT_EQ(song->QueuedBytes(), 0);
    const std::vector<uint8_t> after = RenderRest(playback);
    const int64_t handed = OutputBytesOf(landing, Sound.Rate);
    EXPECT_EQ(static_cast<int64_t>(after.size()), playback.LengthOutputBytes() - handed);
    EXPECT_EQ(static_cast<int64_t>(Through.size()), playback.LengthOutputBytes());
    if (static_cast<int64_t>(after.size() + handed) == static_cast<int64_t>(Through.size())) {
        EXPECT_TRUE(std::equal(after.begin(), after.end(), Through.begin() + handed))
            << "differs first at byte "
            << std::mismatch(after.begin(), after.end(), Through.begin() + handed).first - after.begin();
    }
    return landing;
}

// Forward from the start and from inside the song, backward, to a whole
// tick's end, inside a tick, to the end and past it; each landing the same
// song time at every rate and with every setting.
void ExpectEverySeekSoundsAsPlayingThrough(const TSoundSettings& Sound, std::vector<int64_t>& Landings)
{
    const bool first = Landings.empty();
    size_t seek = 0;
    for (const TPassSong& kind : PassSongs) {
        auto reference = PassSong(kind, Sound);
        TDmfPlayback through(*reference);
        const std::vector<uint8_t> pcm = RenderToEnd(through);
        const double length = TDmfPlayback::BytesToMs(reference->LengthBytes);
        const std::pair<double, double> seeks[] = {{0, length * 0.4},
                                                   {length * 0.1, length * 0.6},
                                                   {length * 0.7, length * 0.3},
                                                   {length * 0.5, 10},
                                                   {length * 0.2, length * 0.2},
                                                   {length * 0.3, length - 1},
                                                   {length * 0.3, length + 1000}};
        for (const auto& [from, to] : seeks) {
            const int64_t landing = ExpectSeekSoundsAsPlayingThrough(kind, Sound, pcm, from, to);
            if (first) {
                Landings.push_back(landing);
            } else {
                ASSERT_LT(seek, Landings.size());
                EXPECT_EQ(landing, Landings[seek]) << kind.Name << ": " << from << " ms to " << to << " ms";
            }
            ++seek;
        }
    }
}

TEST(PlaybackPass, AfterAnySeekTheSongSoundsAsPlayedThroughFromTheLandingPoint)
{
    std::vector<int64_t> landings;
    ExpectEverySeekSoundsAsPlayingThrough(TSoundSettings{}, landings);
    for (const TPassSound& sound : PassSounds) {
        SCOPED_TRACE(sound.Name);
        ExpectEverySeekSoundsAsPlayingThrough(sound.Sound, landings);
    }
}

TEST(PlaybackPass, RenderingNoBytesOrANegativeCountMovesNothing)
{
    auto song = FormatsSong(49, -1);
    song->Sound.Rate = 22050;
    TDmfPlayback playback(*song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    playback.Start();
    std::vector<uint8_t> buffer(StepRoomBytes, 0xAB);
    const int32_t step = playback.StepBytes();
    for (const int32_t count : {0, -4, 0}) {
        playback.Render(buffer.data(), count);
        EXPECT_EQ(playback.PositionBytes(), 0) << count;
        EXPECT_EQ(playback.StepBytes(), step) << count;
    }
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xAB), static_cast<long>(buffer.size()));
    EXPECT_TRUE(RenderRest(playback) == pcm);
}

TEST(PlaybackPass, ATargetOnATicksEndLandsThereAtEveryRate)
{
    for (const int32_t rate : {OutputRate, 8000, 44101, 192000}) {
        auto song = FormatsSong(99, -1);  // 1764-byte ticks: 10 ms each, exactly
        song->Sound.Rate = rate;
        TDmfPlayback playback(*song);
        playback.Start();
        for (const int target : {10, 410, 1230, 20}) {
            playback.Seek(target);
            EXPECT_EQ(playback.PositionBytes(), static_cast<int64_t>(target) * 1764 / 10) << target << " " << rate;
            EXPECT_EQ(playback.StepBytes(), OutputBytesOf(playback.PositionBytes() + 1764, rate) -
                                                OutputBytesOf(playback.PositionBytes(), rate));
        }
    }
}

}  // namespace
