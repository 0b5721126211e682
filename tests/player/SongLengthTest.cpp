// The silent length run and the end of the song.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "module/LoadLog.h"
#include "platform/PlatformStream.h"
#include "tests/support/SongBuilder.h"
#include "tests/support/TestFiles.h"
#include "tools/writer/WriterStressSongs.h"

namespace {

// The length as the player's own ticks give it: every tick with its voices,
// summed up to the 32-bit byte total, as playback would reach the end.
int32_t LengthByPlaying(TDmf& Song)
{
    Song.Start();
    int64_t total = 0;
    do {
        Song.SkipBlock();
        if (total + Song.BlockBytes > std::numeric_limits<int32_t>::max()) {
            break;
        }
        total += Song.BlockBytes;
    } while (Song.Playing);
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(total) / OutputBytesPerMs));
}

std::unique_ptr<TDmf> LoadSong(const std::vector<uint8_t>& Bytes)
{
    SetDebugLogConsole(nullptr);
    auto song = std::make_unique<TDmf>();
    TMemoryStream stream(Bytes);
    song->LoadFromStream(stream);
    SetDebugLogConsole(stdout);
    return song;
}

}  // namespace

TEST(SongLength, CountsEveryTickUpToTheOneThatEndsTheSong)
{
    auto song = MakeSong(2, 4, 8);
    song->MeasureLength(true);
    // 16 rows: row 1 on tick 1, the last row on tick 1 + 15 x 4, the song ends in it.
    const int ticks = 1 + 15 * 4;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(ticks * 2940 / OutputBytesPerMs)));
    EXPECT_FALSE(song->Playing);
    EXPECT_EQ(song->SequencePos, 1);  // rewound
}

TEST(SongLength, FollowsTempoChanges)
{
    auto song = MakeSong(1, 1, 6, 4);
    SetGlobal(*song, 0, 0, 2, 125);  // 5292 bytes a tick from row 1
    SetGlobal(*song, 0, 3, 1, 255);  // 688 bytes from row 4
    song->MeasureLength(false);
    // Rows 1-3: the first tick of row 1 and the three after it at 5292, rows 2 and 3 likewise;
    // row 4 switches on its first tick; rows 4-5 at 688 and the last row's single tick.
    const double bytes = 3 * 4 * 5292.0 + 2 * 4 * 688.0 + 688.0;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(bytes / OutputBytesPerMs)));
}

TEST(SongLength, LoopEndZeroEndsAfterTheFirstPattern)
{
    auto song = MakeSong(3, 1, 4);
    song->Sequencer.LoopEnd = 0;
    song->MeasureLength(true);
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint((1 + 3 * 4) * 2940 / OutputBytesPerMs)));
}

TEST(SongLength, SequenceEntryWithoutPatternEndsTheSong)
{
    auto song = MakeSong(2, 1, 4);
    song->Sequencer.SetEntry(1, 7);  // no pattern 7
    song->Sequencer.SetEntry(2, 1);
    song->Sequencer.SetLoopEnd(2);
    song->MeasureLength(true);
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint((1 + 3 * 4) * 2940 / OutputBytesPerMs)));

    song->Sequencer.SetEntry(0, 9);  // the very first pattern is missing
    song->Start();
    song->SkipBlock();
    EXPECT_FALSE(song->Playing);
    EXPECT_EQ(song->CurrentRow, 0);
}

TEST(SongLength, EndlessOrHugeSongsStopAtTheByteTotalsLimit)
{
    auto song = MakeSong(1, 1, 16);
    SetGlobal(*song, 0, 0, 1, 0);  // one tick per second
    song->Sequencer.LoopEnd = -1;  // a sequence that never reaches its end
    song->MeasureLength(true);
    const int64_t tickBytes = OutputBytesPerSecond;  // a second of output
    const int64_t ticks = 2147483647 / tickBytes;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(ticks * tickBytes / OutputBytesPerMs)));
    EXPECT_FALSE(song->Playing);
}

TEST(SongLength, EndSilencesTheLastRowInTheSameTick)
{
    auto song = MakeSong(1, 1, 1);
    AddSample(*song, 1, 8000, 100);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    song->Start();
    song->SkipBlock();
    EXPECT_FALSE(song->Playing);
    EXPECT_FALSE(song->Voices[0].Active);
}

TEST(SongLength, TheTimingOnlyRunAgreesWithThePlayersTicks)
{
    // The length run skips the voices; the songs here change tempo, end on
    // missing patterns, loop ends and damaged data.
    std::vector<std::string> files = {std::string(MORVEL_TEST_DATA) + "/../../examples/morvel-demo.dmf"};
    for (const char* folder : {"/fuzz-regressions/info", "/fuzz-regressions/playback"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(MORVEL_TEST_DATA) + folder)) {
            files.push_back(entry.path().string());
        }
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        auto song = LoadSong(ReadFileBytes(file));
        if (!song->Loaded) {
            continue;
        }
        const int32_t measured = song->LengthMs;
        EXPECT_EQ(LengthByPlaying(*song), measured);
    }

    auto song = MakeSong(3, 4, 16, 6);
    SetGlobal(*song, 0, 0, 2, 200);
    SetGlobal(*song, 1, 5, 1, 3);
    SetGlobal(*song, 2, 15, 1, 255);
    Cell(*song, 1, 2, 3) = {.Instrument = 1, .Note = 40, .NoteEffect = 4, .NoteParam = 9};
    AddSample(*song, 1, 8000, 100);
    song->MeasureLength(true);
    EXPECT_EQ(LengthByPlaying(*song), song->LengthMs);
}

TEST(SongLength, TheLongestLegalSongStopsAtTheByteTotal)
{
    // 256 ticks a second on a sequence that outlasts the byte total: the run
    // ends after the most ticks any file can ask for (timed by the benchmarks).
    auto song = std::make_unique<TDmf>();
    const std::vector<uint8_t> bytes = WriteLongestLegalSong();
    TMemoryStream stream(bytes);
    SetDebugLogConsole(nullptr);
    song->LoadInfoFromStream(stream);
    SetDebugLogConsole(stdout);
    ASSERT_TRUE(song->Loaded);
    const int64_t ticks = std::numeric_limits<int32_t>::max() / 688;
    EXPECT_EQ(song->LengthMs, static_cast<int32_t>(std::nearbyint(ticks * 688 / OutputBytesPerMs)));
}
