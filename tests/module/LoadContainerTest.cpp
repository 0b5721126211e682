// The block walk: header, end block, unknown blocks, files and the song state after a load.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#else
#include <thread>
#endif

#include "tests/module/LoadFixture.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<uint8_t> Tagged(const std::string& Text)
{
    return std::vector<uint8_t>(Text.begin(), Text.end());
}

std::string TempPath(const std::string& Name)
{
    return ::testing::TempDir() + Name;
}

bool OtherThreadEntered = false;  // set by the helper thread below

void AcquireAndRelease(TDmf* Song)
{
    Song->Acquire();
    OtherThreadEntered = true;
    Song->Release();
}

#ifdef _WIN32
DWORD WINAPI AcquireThread(LPVOID Song)
{
    AcquireAndRelease(static_cast<TDmf*>(Song));
    return 0;
}
#endif

// True when a thread other than the caller can take the song's lock.
bool OtherThreadCanAcquire(TDmf& Song)
{
    OtherThreadEntered = false;
#ifdef _WIN32
    HANDLE thread = CreateThread(nullptr, 0, &AcquireThread, &Song, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    std::thread other(AcquireAndRelease, &Song);
    other.join();
#endif
    return OtherThreadEntered;
}

}  // namespace

TEST(LoadContainer, BlockKinds)
{
    const char* tags[] = {"CMSG", "SEQU", "PATT", "SMPI", "SMPD", "SMPJ", "ZQKW", "ENDE"};
    for (uint8_t kind = 1; kind <= 8; ++kind) {
        EXPECT_EQ(TDmf::BlockKind(reinterpret_cast<const uint8_t*>(tags[kind - 1])), kind);
    }
    EXPECT_EQ(TDmf::BlockKind(reinterpret_cast<const uint8_t*>("ende")), 255);
    EXPECT_EQ(TDmf::BlockKind(reinterpret_cast<const uint8_t*>("XXXX")), 255);
}

TEST(LoadContainer, EndBlockAloneGivesTheEmptySong)
{
    TQuietLog quiet;
    auto song = LoadBytes(Tagged("ENDE"));
    EXPECT_TRUE(song->Loaded);
    EXPECT_FALSE(song->Playing);
    ASSERT_EQ(song->PatternCount, 1);
    EXPECT_EQ(song->GetPattern(0)->TrackCount, 8);
    EXPECT_EQ(song->GetPattern(0)->RowCount, 128);
    EXPECT_EQ(song->SampleCount, 0);
    EXPECT_EQ(song->Sequencer.Count, 1);
    EXPECT_TRUE(song->SongName.empty());
    EXPECT_TRUE(song->Message.empty());
    EXPECT_GT(song->LengthMs, 0);
}

// The length shown for a file's title is the length it plays, also when the
// file leaves the song's patterns and sequence to the empty song.
TEST(LoadContainer, InformationLoadMeasuresTheLengthTheFullLoadPlays)
{
    TQuietLog quiet;
    const std::vector<std::vector<uint8_t>> files = {Tagged("ENDE"),
                                                     TModuleWriter().Header(8, "No patterns", "Me").End().Bytes()};
    for (const std::vector<uint8_t>& bytes : files) {
        auto full = LoadBytes(bytes);
        TMemoryStream stream(bytes);
        TDmf info;
        info.LoadInfoFromStream(stream);
        EXPECT_TRUE(info.Loaded);
        EXPECT_EQ(info.LengthMs, full->LengthMs);
        EXPECT_EQ(info.LengthBytes, full->LengthBytes);
        EXPECT_GT(full->LengthBytes, 100 * InitialTickBytes) << "the 128 rows of the empty song";
    }
}

TEST(LoadContainer, EmptyOrEndlessFileIsNotLoaded)
{
    TQuietLog quiet;
    EXPECT_FALSE(LoadBytes({})->Loaded);
    auto noEnd = LoadBytes(TModuleWriter().Header(8, "Title", "Me").Bytes());
    EXPECT_FALSE(noEnd->Loaded);
    EXPECT_EQ(noEnd->SongName, "Title");  // what was read stays
}

TEST(LoadContainer, UnknownBlockIsSkippedByItsLength)
{
    TLogCapture log;
    TModuleWriter writer;
    writer.Block("XTRA", std::vector<uint8_t>(10, 0xEE)).Header(8, "After", "").End();
    // Bytes after the end block are never read, even a header.
    writer.Header(8, "Never", "");
    auto song = LoadBytes(writer.Bytes());
    EXPECT_TRUE(song->Loaded);
    EXPECT_EQ(song->SongName, "After");
    EXPECT_TRUE(log.Has("Reading Block, type: XTRA"));
    EXPECT_TRUE(log.Has("Unknown Block, length: 0A"));
    EXPECT_TRUE(log.Has("Reading Block, type: ZQKW"));
}

TEST(LoadContainer, NegativeUnknownLengthEndsTheWalk)
{
    TQuietLog quiet;
    TModuleWriter writer;
    writer.BlockWithLength("XTRA", -12, {}).End();
    EXPECT_FALSE(LoadBytes(writer.Bytes())->Loaded);
}

// A file written anew while it loads is shorter than its size at open: its
// reads come back empty, and the walk must end rather than read zeros for ever.
TEST(LoadContainer, FileCutShortWhileLoadingEndsTheWalk)
{
    // As a file behaves: the size stays the one at open, a move within it
    // succeeds, reads past the bytes still there give nothing.
    struct TCutShortStream : TStream {
        explicit TCutShortStream(std::vector<uint8_t> Kept) : Data(std::move(Kept)) { }
        int32_t Read(void* Buffer, int32_t Count) override
        {
            const int64_t n = std::clamp<int64_t>(static_cast<int64_t>(Data.size()) - Pos, 0, Count);
            std::copy_n(Data.begin() + Pos, n, static_cast<uint8_t*>(Buffer));
            Pos += n;
            return static_cast<int32_t>(n);
        }
        int64_t SetPosition(int64_t Position) override { return Pos = std::clamp<int64_t>(Position, 0, Size()); }
        int64_t Position() const override { return Pos; }
        int64_t Size() const override { return static_cast<int64_t>(Data.size()) + 4096; }
        std::vector<uint8_t> Data;
        int64_t Pos = 0;
    };
    TQuietLog quiet;
    TModuleWriter writer;
    writer.Header(8, "Cut", "Short");
    for (const size_t kept : {size_t{0}, size_t{2}, writer.Bytes().size()}) {
        std::vector<uint8_t> bytes = writer.Bytes();
        bytes.resize(kept);
        TCutShortStream forInfo(bytes);
        TCutShortStream forPlaying(bytes);
        TDmf info;
        TDmf full;
        info.LoadInfoFromStream(forInfo);
        full.LoadFromStream(forPlaying);
        EXPECT_FALSE(info.Loaded) << kept << " bytes";
        EXPECT_FALSE(full.Loaded) << kept << " bytes";
    }
}

TEST(LoadContainer, HeaderFields)
{
    TQuietLog quiet;
    TModuleWriter writer;
    writer.Header(7, std::string(30, 'T'), "Composer Name", "TRACKER!").End();
    auto song = LoadBytes(writer.Bytes());
    EXPECT_EQ(song->Version, 7);
    EXPECT_EQ(song->SongName, std::string(30, 'T'));  // no zero byte: all 30
    EXPECT_EQ(song->Composer, "Composer Name");
    EXPECT_EQ(song->TrackerName, "TRACKER!");

    TModuleWriter shortTracker;
    shortTracker.Header(8, "", "", "AB").End();
    auto second = LoadBytes(shortTracker.Bytes());
    EXPECT_TRUE(second->SongName.empty());
    EXPECT_EQ(second->TrackerName, std::string("AB\0\0\0\0\0\0", 8));  // zero bytes included
}

TEST(LoadContainer, FileLoadSetsNamesOnlyWhenLoaded)
{
    TQuietLog quiet;
    const std::string good = TempPath("morvel_good.dmf");
    const std::string bad = TempPath("morvel_bad.dmf");
    WriteFileBytes(good, WriteSong(SmallSong()));
    WriteFileBytes(bad, Tagged("ZQKW"));

    TDmf song;
    song.LoadFromFile(good);
    EXPECT_TRUE(song.Loaded);
    EXPECT_EQ(song.FileName, "morvel_good.dmf");
    EXPECT_EQ(song.FilePath, good);

    song.LoadFromFile(bad);
    EXPECT_FALSE(song.Loaded);
    EXPECT_EQ(song.FileName, "morvel_good.dmf");  // unchanged
    std::remove(good.c_str());
    std::remove(bad.c_str());
}

TEST(LoadContainer, MissingFileRaisesAndLeavesTheLock)
{
    TQuietLog quiet;
    TDmf song;
    const std::string path = TempPath("morvel_missing.dmf");
    try {
        song.LoadFromFile(path);
        FAIL() << "no error raised";
    } catch (const EFileOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
    }
    EXPECT_THROW(song.LoadInfoFromFile(path), EFileOpenError);
    EXPECT_TRUE(OtherThreadCanAcquire(song));  // the lock was left
}

TEST(LoadContainer, SecondLoadUnloadsTheFirstAndRewinds)
{
    TLogCapture log;
    TDmf song;
    TMemoryStream first(WriteSong(SmallSong()));
    song.LoadFromStream(first);
    EXPECT_FALSE(log.Has("Deleting in-memory DMF"));
    song.Start();
    for (int i = 0; i < 50; ++i) {
        song.SkipBlock();
    }

    TWriterSong other = SmallSong();
    other.Title = "Other";
    other.Samples.pop_back();
    TMemoryStream second(WriteSong(other));
    song.LoadFromStream(second);
    EXPECT_TRUE(log.Has("Deleting in-memory DMF"));
    EXPECT_TRUE(song.Loaded);
    EXPECT_FALSE(song.Playing);
    EXPECT_EQ(song.SongName, "Other");
    EXPECT_EQ(song.SampleCount, 2);
    EXPECT_EQ(song.SequencePos, 1);  // rewound
    EXPECT_EQ(song.CurrentRow, 0);
}
