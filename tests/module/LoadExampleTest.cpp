// The bundled example song loads whole and uses what it is meant to show.

#include <gtest/gtest.h>

#include <set>

#include "tests/module/LoadFixture.h"

namespace {
const std::string ExamplePath = std::string(MORVEL_TEST_DATA) + "/../../examples/morvel-demo.dmf";
}

TEST(LoadExample, FullLoadOfTheBundledSong)
{
    TQuietLog quiet;
    TDmf song;
    song.LoadFromFile(ExamplePath);
    ASSERT_TRUE(song.Loaded);
    EXPECT_EQ(song.FileName, "morvel-demo.dmf");
    EXPECT_EQ(song.SongName, "Morvel Demo");
    EXPECT_GE(song.Message.size(), 5u);
    EXPECT_GT(song.LengthMs, 30000);
    EXPECT_EQ(song.SampleCount, 8);
    for (int s = 1; s <= song.SampleCount; ++s) {
        EXPECT_FALSE(song.GetSample(s)->Empty) << s;
    }
    EXPECT_TRUE(song.GetSample(6)->Stereo && song.GetSample(6)->Is16Bit);
    EXPECT_EQ(song.GetSample(8)->GetCuePoint(3), 9000);

    // Both tempo commands, and every effect column it means to demonstrate.
    std::set<int> global;
    std::set<int> effects;  // column * 16 + effect
    int widest = 0;
    for (int p = 0; p < song.PatternCount; ++p) {
        const TPattern& pattern = *song.GetPattern(p);
        widest = std::max(widest, pattern.TrackCount);
        for (int row = 0; row < pattern.RowCount; ++row) {
            global.insert(pattern.GlobalTrack.Sector(row)->Effect);
            for (int t = 0; t < pattern.TrackCount; ++t) {
                const TSector& cell = *pattern.Track(t)->Sector(row);
                effects.insert(0x00 + cell.InstrumentEffect);
                effects.insert(0x10 + cell.NoteEffect);
                effects.insert(0x20 + cell.VolumeEffect);
            }
        }
    }
    EXPECT_GE(widest, 8);
    EXPECT_GE(song.PatternCount, 3);
    EXPECT_TRUE(global.count(1) && global.count(2));
    for (int effect : {0x06, 0x0B, 0x14, 0x15, 0x21, 0x22, 0x27}) {
        EXPECT_TRUE(effects.count(effect)) << std::hex << effect;
    }

    // Raw and packed samples both: packed ones get the larger allocation.
    int packed = 0;
    int raw = 0;
    for (int s = 1; s <= song.SampleCount; ++s) {
        const TSample& sample = *song.GetSample(s);
        packed += sample.Buffer.size() == static_cast<size_t>(sample.Length) + 288;
        raw += sample.Buffer.size() == static_cast<size_t>(sample.Length) + 32;
    }
    EXPECT_GT(packed, 0);
    EXPECT_GT(raw, 0);
    EXPECT_EQ(packed + raw, song.SampleCount);
}
