// Sample records, sample data (raw, packed, MPEG) and cue points.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/module/LoadFixture.h"
#include "tools/writer/WriterPacker.h"

namespace {

std::unique_ptr<TDmf> LoadSamples(const std::vector<TWriterSample>& Samples, uint8_t Version = 8)
{
    TModuleWriter writer;
    writer.Header(Version, "", "").SampleInfo(Samples, Version).SampleData(Samples).CuePoints(Samples).End();
    return LoadBytes(writer.Bytes());
}

bool HoldsPcm(const TSample& Sample, const std::vector<uint8_t>& Pcm)
{
    if (Sample.Length != static_cast<int32_t>(Pcm.size()) || !Sample.Data) {
        return false;
    }
    if (Sample.Data != Sample.Buffer.data() + 16 || Sample.Buffer.size() < Pcm.size() + 32) {
        return false;
    }
    for (size_t i = 0; i < 16; ++i) {
        if (Sample.Buffer[i] != 0 || Sample.Data[Pcm.size() + i] != 0) {
            return false;
        }
    }
    return std::memcmp(Sample.Data, Pcm.data(), Pcm.size()) == 0;
}

TWriterSample Sample(const std::string& Name, std::vector<uint8_t> Pcm)
{
    TWriterSample sample;
    sample.Name = Name;
    sample.Pcm = std::move(Pcm);
    return sample;
}

}  // namespace

TEST(LoadSamples, RecordsBecomeSampleFields)
{
    TLogCapture log;
    TWriterSample looped = Sample("Loop", Ramp(4000));
    looped.Looped = true;
    looped.LoopStart = 100;
    looped.LoopEnd = 5000;
    looped.Rate = 8363;
    looped.Volume = 180;
    looped.Is16Bit = true;
    TWriterSample stereo = Sample("", Ramp(64, 3));
    stereo.Stereo = true;
    TWriterSample longName = Sample(std::string(30, 'n') + "CUT", Ramp(10));
    auto song = LoadSamples({looped, stereo, longName});
    ASSERT_EQ(song->SampleCount, 3);

    const TSample& first = *song->GetSample(1);
    EXPECT_TRUE(HoldsPcm(first, looped.Pcm));
    EXPECT_EQ(first.Name, "Loop");
    EXPECT_TRUE(first.Looped);
    EXPECT_TRUE(first.Is16Bit);
    EXPECT_FALSE(first.Stereo);
    EXPECT_EQ(first.LoopStart, 100);
    EXPECT_EQ(first.LoopEnd, 4000);  // held to the length
    EXPECT_EQ(first.Rate, 8363);
    EXPECT_EQ(first.Volume, 180);
    EXPECT_TRUE(first.Enabled);
    EXPECT_FALSE(first.Empty);

    EXPECT_TRUE(song->GetSample(2)->Name.empty());
    EXPECT_TRUE(song->GetSample(2)->Stereo);
    EXPECT_EQ(song->GetSample(3)->Name, std::string(30, 'n'));
    EXPECT_TRUE(HoldsPcm(*song->GetSample(3), longName.Pcm));  // the long name was read whole

    EXPECT_TRUE(log.Has(" Samples: 03"));
    EXPECT_TRUE(log.Has(" Sample: 01 04 Loop" + std::string(26, ' ') + " 4000 3"));
    EXPECT_TRUE(log.Has(" Sample: 01 4000"));
    EXPECT_TRUE(log.Has(" " + HexVar(4000 + 64 + 10) + " Bytes processed."));
    EXPECT_TRUE(log.Has(" " + HexVar(4 + 3 * 4 + 4000 + 64 + 10) + " Bytes gelesen."));
}

TEST(LoadSamples, Version7RecordsAreEightBytesShorter)
{
    TQuietLog quiet;
    const std::vector<TWriterSample> samples = {Sample("abc", Ramp(20)), Sample("de", Ramp(30, 2))};
    const std::vector<uint8_t> v7 = TModuleWriter().SampleInfo(samples, 7).Bytes();
    const std::vector<uint8_t> v8 = TModuleWriter().SampleInfo(samples, 8).Bytes();
    EXPECT_EQ(v8.size() - v7.size(), 16u);
    for (uint8_t version : {7, 8}) {
        auto song = LoadSamples(samples, version);
        EXPECT_TRUE(song->Loaded);
        EXPECT_TRUE(HoldsPcm(*song->GetSample(2), samples[1].Pcm)) << static_cast<int>(version);
    }
}

TEST(LoadSamples, PackedSamplesDecodeAndTheStreamGoesOnAfterThem)
{
    TQuietLog quiet;
    TWriterSample packed = Sample("packed", Ramp(3000, 11));
    packed.Encoding = TWriterEncoding::Packed;
    packed.Is16Bit = true;
    TWriterSample bothFlags = packed;  // 0x0C: packed, not MPEG
    bothFlags.FlagsField = 0x0C;
    bothFlags.Pcm = Ramp(100, 2);
    TWriterSample raw = Sample("raw", Ramp(50, 5));
    auto song = LoadSamples({packed, bothFlags, raw});
    EXPECT_TRUE(song->Loaded);
    const TSample& first = *song->GetSample(1);
    EXPECT_TRUE(HoldsPcm(first, packed.Pcm));
    EXPECT_GE(first.Buffer.size(), 3000u + 288u);
    EXPECT_TRUE(HoldsPcm(*song->GetSample(2), bothFlags.Pcm));
    EXPECT_TRUE(HoldsPcm(*song->GetSample(3), raw.Pcm));
}

// How each sample is stored, and what its record declares, is known to both
// loads, the information load reading no sample data; a record with both
// flags is packed.
TEST(LoadSamples, StorageAndRecordAreKnownToTheFullAndTheInformationLoad)
{
    TQuietLog quiet;
    TWriterSample packed = Sample("packed", Ramp(600, 3));
    packed.Encoding = TWriterEncoding::Packed;
    TWriterSample bothFlags = packed;
    bothFlags.FlagsField = 0x0C;
    TWriterSample mpeg = Sample("mp3", {});
    mpeg.Encoding = TWriterEncoding::Mpeg;
    mpeg.Compressed = std::vector<uint8_t>(300, 0x55);
    const std::vector<TWriterSample> samples = {Sample("raw", Ramp(50)), packed, mpeg, bothFlags};
    TModuleWriter writer;
    writer.Header(8, "", "").SampleInfo(samples, 8).SampleData(samples).End();
    const std::vector<TSampleStorage> expected = {TSampleStorage::Raw, TSampleStorage::Packed, TSampleStorage::Mpeg,
                                                  TSampleStorage::Packed};
    const std::unique_ptr<TDmf> songs[] = {LoadBytes(writer.Bytes()), LoadInfoBytes(writer.Bytes())};
    for (const std::unique_ptr<TDmf>& song : songs) {
        ASSERT_EQ(song->SampleCount, 4);
        for (int s = 1; s <= 4; ++s) {
            const TSample& sample = *song->GetSample(s);
            const TWriterSample& written = samples[static_cast<size_t>(s - 1)];
            EXPECT_EQ(sample.Storage, expected[static_cast<size_t>(s - 1)]) << s;
            EXPECT_EQ(sample.Declared.Name, written.Name) << s;
            EXPECT_EQ(sample.Declared.Length, written.RecordLength()) << s;
            EXPECT_EQ(sample.Declared.Rate, written.Rate) << s;
            EXPECT_EQ(sample.Declared.Is16Bit, written.Is16Bit) << s;
        }
    }
    // The loop as stored, also past the length (where playback ends it), and the rest of the flags.
    TWriterSample looped = Sample("Loop", Ramp(400));
    looped.Stereo = true;
    looped.Looped = true;
    looped.LoopStart = 40;
    looped.LoopEnd = 900;
    TModuleWriter loopWriter;
    loopWriter.Header(8, "", "").SampleInfo({looped}, 8).SampleData({looped}).End();
    const TSample::TDeclared declared = LoadInfoBytes(loopWriter.Bytes())->GetSample(1)->Declared;
    EXPECT_TRUE(declared.Looped && declared.Stereo);
    EXPECT_EQ(declared.LoopStart, 40);
    EXPECT_EQ(declared.LoopEnd, 900);
}

TEST(LoadSamples, EmptyAndMpegSamples)
{
    TQuietLog quiet;
    TWriterSample empty = Sample("none", {});
    TWriterSample packedEmpty = empty;
    packedEmpty.Encoding = TWriterEncoding::Packed;
    TWriterSample mpeg = Sample("mp3", {});
    mpeg.Encoding = TWriterEncoding::Mpeg;
    mpeg.Compressed = std::vector<uint8_t>(500, 0x55);  // no frames in it
    mpeg.LengthField = 10000;
    TWriterSample mpegZero = mpeg;
    mpegZero.LengthField = 0;
    TWriterSample after = Sample("after", Ramp(40));
    auto song = LoadSamples({empty, packedEmpty, mpeg, mpegZero, after});
    for (int s = 1; s <= 4; ++s) {
        const TSample& sample = *song->GetSample(s);
        EXPECT_TRUE(sample.Empty) << s;
        EXPECT_EQ(sample.Length, 0) << s;  // never longer than the decoded PCM
    }
    EXPECT_TRUE(HoldsPcm(*song->GetSample(5), after.Pcm));
    EXPECT_TRUE(song->Loaded);
}

TEST(LoadSamples, CuePoints)
{
    TLogCapture log;
    TWriterSample first = Sample("a", Ramp(100));
    first.CuePoints = {10, -5};
    TWriterSample second = Sample("b", Ramp(100));
    auto song = LoadSamples({first, second});
    EXPECT_EQ(song->GetSample(1)->GetCuePoint(0), 10);
    EXPECT_EQ(song->GetSample(1)->GetCuePoint(1), -5);
    EXPECT_EQ(song->GetSample(1)->GetCuePoint(2), -1);
    EXPECT_EQ(song->GetSample(2)->GetCuePoint(0), -1);
    EXPECT_TRUE(log.Has("dmfReadSMPJ: 000A bytes read"));
}

TEST(LoadSamples, SampleBlocksWithoutRecordsAreSkipped)
{
    TQuietLog quiet;
    const std::vector<TWriterSample> samples = {Sample("a", Ramp(100))};
    TModuleWriter writer;
    writer.SampleData(samples).CuePoints(samples).SampleInfo(samples, 8).SampleData(samples).SampleData(samples);
    writer.Header(8, "still in step", "").End();
    auto song = LoadBytes(writer.Bytes());
    EXPECT_TRUE(song->Loaded);
    EXPECT_EQ(song->SongName, "still in step");
    EXPECT_TRUE(HoldsPcm(*song->GetSample(1), samples[0].Pcm));
}

TEST(LoadSamples, SampleDataOfASongWithoutSamplesIsReadAsSampleData)
{
    TLogCapture log;
    TModuleWriter writer;
    writer.SampleInfo({}, 8).SampleData({}).CuePoints({}).End();
    auto song = LoadBytes(writer.Bytes());
    EXPECT_TRUE(song->Loaded);
    EXPECT_EQ(song->SampleCount, 0);
    EXPECT_TRUE(log.Has(" SMPD Blocklength:00 Bytes."));
    EXPECT_TRUE(log.Has(" 00 Bytes processed."));
    EXPECT_TRUE(log.Has(" 04 Bytes gelesen."));
    EXPECT_TRUE(log.Has("dmfReadSMPJ: 0000 bytes read"));
    EXPECT_EQ(log.Text().find("Unknown Block"), std::string::npos);
}

TEST(LoadSamples, InformationLoadReadsNoSampleData)
{
    TQuietLog quiet;
    const std::vector<uint8_t> bytes = WriteSong(SmallSong());
    auto full = LoadBytes(bytes);
    auto info = LoadInfoBytes(bytes);
    EXPECT_TRUE(info->Loaded);
    EXPECT_EQ(info->SongName, full->SongName);
    EXPECT_EQ(info->Composer, full->Composer);
    EXPECT_EQ(info->Message, full->Message);
    EXPECT_EQ(info->LengthMs, full->LengthMs);
    EXPECT_GT(full->LengthMs, 0);
    ASSERT_EQ(info->SampleCount, 3);
    for (int s = 1; s <= 3; ++s) {
        EXPECT_TRUE(info->GetSample(s)->Empty);
        EXPECT_EQ(info->GetSample(s)->Length, 0);
        EXPECT_FALSE(info->GetSample(s)->Enabled);
        EXPECT_EQ(info->GetSample(s)->GetCuePoint(0), -1);  // cue points are skipped too
        EXPECT_FALSE(full->GetSample(s)->Empty);
    }
    EXPECT_EQ(full->GetSample(1)->GetCuePoint(1), 20);
}

TEST(LoadSamples, PackedTreeOfMoreThan256NodesLoadsSilent)
{
    TQuietLog quiet;
    TPackBitWriter chain;  // every node announces a right child
    for (int n = 0; n < 400; ++n) {
        chain.Bits(5, 7);
        chain.Bit(0);
        chain.Bit(1);
    }
    TWriterSample bad = Sample("bad tree", {});
    bad.Encoding = TWriterEncoding::Mpeg;  // stores Compressed as it is
    bad.Compressed = chain.Bytes();
    bad.FlagsField = 0x04;
    bad.LengthField = 100;
    TWriterSample after = Sample("after", Ramp(60, 9));
    auto song = LoadSamples({bad, after});
    const TSample& silent = *song->GetSample(1);
    EXPECT_EQ(silent.Length, 100);
    EXPECT_TRUE(HoldsPcm(silent, std::vector<uint8_t>(100, 0)));
    EXPECT_TRUE(HoldsPcm(*song->GetSample(2), after.Pcm));
    EXPECT_TRUE(song->Loaded);
}
