// Damaged modules: cut short anywhere, absurd counts and lengths, random
// mutations. Each must load without a fault (run under the sanitizer build)
// and leave a song that plays safely.

#include <gtest/gtest.h>

#include <random>

#include "module/LoadSampleRecord.h"
#include "tests/module/LoadFixture.h"

namespace {

// Loads Bytes both ways and plays a little of the result.
void LoadAndPlay(const std::vector<uint8_t>& Bytes)
{
    auto song = LoadBytes(Bytes);
    song->Start();
    std::vector<uint8_t> pcm(4 * 1024);
    for (int i = 0; i < 4; ++i) {
        song->RenderBlock(pcm.data(), static_cast<int32_t>(pcm.size()));
    }
    LoadInfoBytes(Bytes);
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& Bytes, size_t Length)
{
    return std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Length));
}

}  // namespace

TEST(LoadHostile, TruncatedAtEveryBlockBoundaryAndInside)
{
    TQuietLog quiet;
    TWriterSong small = SmallSong();
    TModuleWriter writer;
    writer.Header(8, small.Title, small.Composer)
        .Message(MessageText(small.MessageLines))
        .Sequence(0, 2, small.Sequence)
        .Patterns(4, small.Patterns)
        .SampleInfo(small.Samples, 8)
        .SampleData(small.Samples)
        .CuePoints(small.Samples)
        .End();
    const std::vector<uint8_t> bytes = writer.Bytes();
    ASSERT_TRUE(LoadBytes(bytes)->Loaded);
    for (const size_t start : writer.BlockStarts()) {
        for (size_t delta : {0, 1, 4, 5, 7, 9, 12}) {
            if (start + delta < bytes.size()) {
                auto song = LoadBytes(Cut(bytes, start + delta));
                EXPECT_FALSE(song->Loaded) << start + delta;
            }
        }
    }
    std::mt19937 random(11);
    for (int i = 0; i < 60; ++i) {
        LoadAndPlay(Cut(bytes, random() % bytes.size()));
    }
}

TEST(LoadHostile, AbsurdCountsAndLengths)
{
    TQuietLog quiet;
    TModuleWriter patterns;
    // 65535 patterns announced, none there.
    patterns.Raw({'P', 'A', 'T', 'T', 0, 0, 0, 0, 0xFF, 0xFF, 32});
    auto many = LoadBytes(patterns.Bytes());
    EXPECT_EQ(many->PatternCount, 256);

    // A pattern of 255 tracks and 65535 rows with a data length of 2 GB.
    TModuleWriter huge;
    huge.Raw({'P', 'A', 'T', 'T', 0, 0, 0, 0, 1, 0, 0, 255, 0x40, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x80, 0xFF});
    auto big = LoadBytes(huge.Bytes());
    EXPECT_EQ(big->GetPattern(0)->TrackCount, 32);
    EXPECT_EQ(big->GetPattern(0)->RowCount, 1024);

    // Samples whose records claim 2 GB, raw and packed, and negative stored lengths.
    TWriterSample raw;
    raw.Pcm = Ramp(10);
    raw.LengthField = 0x7FFFFFFF;
    TWriterSample packed = raw;
    packed.Encoding = TWriterEncoding::Packed;
    packed.StoredLengthField = -100;
    TWriterSample negative = raw;
    negative.LengthField = -5;
    negative.LoopEnd = 100;
    for (const auto& list : {std::vector<TWriterSample>{packed, raw}, std::vector<TWriterSample>{negative, raw}}) {
        TModuleWriter writer;
        writer.SampleInfo(list, 8).SampleData(list).End();
        auto song = LoadBytes(writer.Bytes());
        for (int s = 1; s <= song->SampleCount; ++s) {
            const TSample& sample = *song->GetSample(s);
            EXPECT_LE(sample.Length + 32, static_cast<int32_t>(sample.Buffer.size()) + (sample.Empty ? 32 : 0));
            EXPECT_LE(sample.LoopEnd, sample.Length);
        }
    }

    // 255 packed samples that each claim 2 GB and store nothing: each may
    // decode only what lies within reach of its own data.
    TWriterSample liar;
    liar.Pcm = Ramp(3000, 3);
    liar.Encoding = TWriterEncoding::Packed;
    liar.LengthField = 0x7FFFFFFF;
    liar.StoredLengthField = 0;
    const std::vector<TWriterSample> liars(255, liar);
    TModuleWriter crowd;
    crowd.SampleInfo(liars, 8).SampleData(liars).End();
    auto lied = LoadBytes(crowd.Bytes());
    size_t allocated = 0;
    for (int s = 1; s <= lied->SampleCount; ++s) {
        allocated += lied->GetSample(s)->Buffer.size();
    }
    EXPECT_LT(allocated, 255u * 8 * 4096);

    // Lengths of every message, sequence and unknown block beyond the file.
    for (const char* tag : {"CMSG", "SEQU", "SMPJ", "SMPD", "XXXX", "SMPI"}) {
        TModuleWriter writer;
        writer.BlockWithLength(tag, 0x7FFFFFF0, {1, 2, 3, 4, 5, 6, 7, 8, 9});
        EXPECT_FALSE(LoadBytes(writer.Bytes())->Loaded) << tag;
    }
}

TEST(LoadHostile, RandomMutationsOfValidModules)
{
    TQuietLog quiet;
    const std::vector<uint8_t> original = WriteSong(SmallSong());
    std::mt19937 random(2024);
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> bytes = original;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:  // one random byte
                bytes[at] = static_cast<uint8_t>(random());
                break;
            case 1:  // an extreme 32-bit value
                for (size_t b = 0; b < 4 && at + b < bytes.size(); ++b) {
                    bytes[at + b] = (random() % 2) ? 0xFF : 0x7F;
                }
                break;
            case 2:  // bytes removed
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + random() % 16)));
                break;
            default:  // cut short
                bytes.resize(at + 1);
                break;
            }
            if (bytes.empty()) {
                break;
            }
        }
        LoadAndPlay(bytes);
    }
}
