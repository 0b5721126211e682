// Both builds (native and 32-bit Windows) must compute the very same
// frequencies, volumes and tick sizes; this fingerprint is the same in both.

#include <gtest/gtest.h>

#include "tests/support/SongBuilder.h"

namespace {

uint64_t Mix(uint64_t hash, int64_t value)
{
    return (hash ^ static_cast<uint64_t>(value)) * 1099511628211ULL;
}

}  // namespace

TEST(Determinism, SlidesAndTemposGiveTheSameStateInEveryBuild)
{
    auto song = MakeSong(2, 8, 32, 6);
    for (int n = 1; n <= 4; ++n) {
        AddSample(*song, n, 7919 * n + 11025, 5000);
    }
    for (int p = 0; p < 2; ++p) {
        for (int row = 0; row < 32; ++row) {
            SetGlobal(*song, p, row, static_cast<uint8_t>(1 + row % 2), static_cast<uint8_t>(37 * row + 13 * p));
            for (int t = 0; t < 8; ++t) {
                TSector& cell = Cell(*song, p, t, row);
                const int k = row * 8 + t + p * 256;
                cell.Instrument = static_cast<uint8_t>(k % 5);
                cell.Note = static_cast<uint8_t>((k * 7) % 112);
                cell.NoteEffect = static_cast<uint8_t>(4 + k % 2);
                cell.NoteParam = static_cast<uint8_t>((k * 29) % 256);
                cell.VolumeEffect = static_cast<uint8_t>(1 + k % 2);
                cell.VolumeParam = static_cast<uint8_t>((k * 13) % 40);
            }
        }
    }
    song->MeasureLength(true);
    song->Start();
    uint64_t hash = 14695981039346656037ULL;
    while (song->Playing) {
        song->SkipBlock();
        hash = Mix(hash, song->BlockBytes);
        for (const TVoice& voice : song->Voices) {
            hash = Mix(Mix(Mix(hash, voice.Frequency), voice.Volume), voice.LeftGain);
        }
    }
    EXPECT_EQ(song->LengthMs, 14794);
    EXPECT_EQ(hash, 6691461561964869207ULL);
}
