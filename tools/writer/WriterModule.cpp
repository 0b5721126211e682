#include "tools/writer/WriterModule.h"

#include <algorithm>

#include "tools/writer/WriterCrunch.h"

namespace {
// Bytes of the header block after its tag.
constexpr size_t HeaderBytes = 62;
}  // namespace

void TModuleWriter::Tag(const std::string& Text)
{
    Starts.push_back(Out.size());
    for (size_t i = 0; i < 4; ++i) {
        Out.push_back(i < Text.size() ? static_cast<uint8_t>(Text[i]) : 0);
    }
}

void TModuleWriter::U16(uint16_t V)
{
    Out.push_back(static_cast<uint8_t>(V & 0xFF));
    Out.push_back(static_cast<uint8_t>(V >> 8));
}

void TModuleWriter::I32(int32_t V)
{
    const uint32_t u = static_cast<uint32_t>(V);
    for (int b = 0; b < 4; ++b) {
        Out.push_back(static_cast<uint8_t>(u >> (8 * b)));
    }
}

void TModuleWriter::CloseBlock(size_t Start)
{
    const size_t lengthAt = Start + 4;
    const uint32_t length = static_cast<uint32_t>(Out.size() - lengthAt - 4);
    for (int b = 0; b < 4; ++b) {
        Out[lengthAt + static_cast<size_t>(b)] = static_cast<uint8_t>(length >> (8 * b));
    }
}

TModuleWriter& TModuleWriter::Header(uint8_t Version, const std::string& Title, const std::string& Composer,
                                     const std::string& Tracker)
{
    Tag("ZQKW");
    std::vector<uint8_t> fields(HeaderBytes, 0);
    fields[0] = Version;
    std::copy_n(Tracker.begin(), std::min<size_t>(Tracker.size(), 8), fields.begin() + 1);
    std::copy_n(Title.begin(), std::min<size_t>(Title.size(), 30), fields.begin() + 9);
    std::copy_n(Composer.begin(), std::min<size_t>(Composer.size(), 20), fields.begin() + 39);
    Out.insert(Out.end(), fields.begin(), fields.end());
    return *this;
}

TModuleWriter& TModuleWriter::Message(const std::string& Text)
{
    const size_t start = Out.size();
    Tag("CMSG");
    I32(0);
    U8(0);  // filler
    Out.insert(Out.end(), Text.begin(), Text.end());
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::Sequence(uint16_t LoopStart, uint16_t LoopEnd, const std::vector<uint16_t>& Entries)
{
    const size_t start = Out.size();
    Tag("SEQU");
    I32(0);
    U16(LoopStart);
    U16(LoopEnd);
    for (const uint16_t entry : Entries) {
        U16(entry);
    }
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::Patterns(uint8_t SongTracks, const std::vector<TWriterPattern>& List)
{
    const size_t start = Out.size();
    Tag("PATT");
    I32(0);
    U16(static_cast<uint16_t>(List.size()));
    U8(SongTracks);
    for (const TWriterPattern& pattern : List) {
        const std::vector<uint8_t> data = pattern.RawData ? *pattern.RawData : CrunchPattern(pattern);
        U8(static_cast<uint8_t>(pattern.Tracks));
        U8(pattern.Beat);
        U16(static_cast<uint16_t>(pattern.Rows));
        I32(pattern.DataLengthField ? *pattern.DataLengthField : static_cast<int32_t>(data.size()));
        Out.insert(Out.end(), data.begin(), data.end());
    }
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::SampleInfo(const std::vector<TWriterSample>& List, uint8_t Version)
{
    const size_t start = Out.size();
    Tag("SMPI");
    I32(0);
    U8(static_cast<uint8_t>(List.size()));
    for (const TWriterSample& sample : List) {
        const size_t nameLength = std::min<size_t>(sample.Name.size(), 255);
        U8(static_cast<uint8_t>(nameLength));
        Out.insert(Out.end(), sample.Name.begin(), sample.Name.begin() + static_cast<std::ptrdiff_t>(nameLength));
        I32(sample.RecordLength());
        I32(sample.LoopStart);
        I32(sample.LoopEnd);
        U16(sample.Rate);
        U8(sample.Volume);
        U8(sample.Flags());
        if (Version > 7) {
            Out.insert(Out.end(), 8, 0);
        }
        U16(0);
        I32(0);
    }
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::SampleData(const std::vector<TWriterSample>& List)
{
    const size_t start = Out.size();
    Tag("SMPD");
    I32(0);
    for (const TWriterSample& sample : List) {
        const std::vector<uint8_t> stored = sample.StoredData();
        I32(sample.StoredLengthField ? *sample.StoredLengthField : static_cast<int32_t>(stored.size()));
        Out.insert(Out.end(), stored.begin(), stored.end());
    }
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::CuePoints(const std::vector<TWriterSample>& List)
{
    const size_t start = Out.size();
    Tag("SMPJ");
    I32(0);
    for (const TWriterSample& sample : List) {
        const size_t count = std::min<size_t>(sample.CuePoints.size(), 255);
        U8(static_cast<uint8_t>(count));
        for (size_t j = 0; j < count; ++j) {
            I32(sample.CuePoints[j]);
        }
    }
    CloseBlock(start);
    return *this;
}

TModuleWriter& TModuleWriter::Block(const std::string& Tag, const std::vector<uint8_t>& Payload)
{
    return BlockWithLength(Tag, static_cast<int32_t>(Payload.size()), Payload);
}

TModuleWriter& TModuleWriter::BlockWithLength(const std::string& TagText, int32_t Length,
                                              const std::vector<uint8_t>& Payload)
{
    Tag(TagText);
    I32(Length);
    Out.insert(Out.end(), Payload.begin(), Payload.end());
    return *this;
}

TModuleWriter& TModuleWriter::End()
{
    Tag("ENDE");
    return *this;
}

TModuleWriter& TModuleWriter::Raw(const std::vector<uint8_t>& Bytes)
{
    Out.insert(Out.end(), Bytes.begin(), Bytes.end());
    return *this;
}

std::vector<uint8_t> WriteSong(const TWriterSong& Song)
{
    TModuleWriter writer;
    writer.Header(Song.Version, Song.Title, Song.Composer, Song.Tracker);
    if (!Song.MessageLines.empty()) {
        writer.Message(MessageText(Song.MessageLines));
    }
    const uint16_t lastIndex = Song.Sequence.empty() ? 0 : static_cast<uint16_t>(Song.Sequence.size() - 1);
    writer.Sequence(Song.LoopStart, Song.LoopEnd ? *Song.LoopEnd : lastIndex, Song.Sequence);
    writer.Patterns(Song.SongTracks, Song.Patterns);
    writer.SampleInfo(Song.Samples, Song.Version);
    writer.SampleData(Song.Samples);
    const bool anyCues = std::any_of(Song.Samples.begin(), Song.Samples.end(),
                                     [](const TWriterSample& s) { return !s.CuePoints.empty(); });
    if (anyCues) {
        writer.CuePoints(Song.Samples);
    }
    writer.End();
    return writer.Bytes();
}
