// The song message and the pattern sequence blocks.

#include <gtest/gtest.h>

#include "tests/module/LoadFixture.h"

namespace {

std::unique_ptr<TDmf> LoadMessage(const std::string& Text)
{
    return LoadBytes(TModuleWriter().Message(Text).End().Bytes());
}

std::unique_ptr<TDmf> LoadSequence(uint16_t LoopStart, uint16_t LoopEnd, const std::vector<uint16_t>& Entries)
{
    return LoadBytes(TModuleWriter().Sequence(LoopStart, LoopEnd, Entries).End().Bytes());
}

}  // namespace

TEST(LoadMessage, OnlyCompleteFortyColumnLinesCount)
{
    TLogCapture log;
    const std::string text80 = std::string(40, 'a') + std::string(40, 'b');
    auto two = LoadMessage(text80);
    ASSERT_EQ(two->Message.size(), 2u);
    EXPECT_EQ(two->Message[0], std::string(40, 'a'));
    EXPECT_EQ(two->Message[1], std::string(40, 'b'));
    EXPECT_TRUE(log.Has("dmfReadCMSG: 0002 lines"));

    EXPECT_EQ(LoadMessage(text80.substr(0, 79))->Message.size(), 1u);
    EXPECT_TRUE(LoadMessage(std::string(39, 'x'))->Message.empty());
    EXPECT_TRUE(log.Has("dmfReadCMSG: 0000 lines"));
}

TEST(LoadMessage, ZeroBytesBecomeSpacesAndALaterBlockReplaces)
{
    TQuietLog quiet;
    std::string text = "Hello";
    text.resize(40, '\0');
    text[20] = 'x';
    auto song = LoadBytes(TModuleWriter().Message(std::string(40, 'z')).Message(text).End().Bytes());
    ASSERT_EQ(song->Message.size(), 1u);
    EXPECT_EQ(song->Message[0], "Hello" + std::string(15, ' ') + "x" + std::string(19, ' '));
}

TEST(LoadMessage, LengthBeyondTheFileReadsWhatIsThere)
{
    TQuietLog quiet;
    std::vector<uint8_t> payload(86, 'm');
    payload[0] = 0;  // filler
    auto song = LoadBytes(TModuleWriter().BlockWithLength("CMSG", 1 << 30, payload).Bytes());
    EXPECT_FALSE(song->Loaded);
    EXPECT_EQ(song->Message.size(), 2u);
}

TEST(LoadSequence, EntriesAndLoopPoints)
{
    TLogCapture log;
    auto song = LoadSequence(1, 2, {3, 4, 5, 6});
    EXPECT_EQ(song->Sequencer.Count, 4);
    EXPECT_EQ(song->Sequencer.GetEntry(0), 3);
    EXPECT_EQ(song->Sequencer.GetEntry(3), 6);
    EXPECT_EQ(song->Sequencer.LoopEnd, 2);
    EXPECT_EQ(song->Sequencer.LoopStart, 1);
    EXPECT_TRUE(log.Has("dmfReadSEQU: 000C bytes"));

    auto clamped = LoadSequence(3, 50, {1, 2, 3});
    EXPECT_EQ(clamped->Sequencer.LoopEnd, 2);    // held to the last index
    EXPECT_EQ(clamped->Sequencer.LoopStart, 0);  // beyond the new count
    auto startAboveEnd = LoadSequence(2, 1, {1, 2, 3});
    EXPECT_EQ(startAboveEnd->Sequencer.LoopEnd, 1);
    EXPECT_EQ(startAboveEnd->Sequencer.LoopStart, 0);
}

TEST(LoadSequence, ShortBlocks)
{
    TQuietLog quiet;
    auto none = LoadSequence(0, 0, {});
    EXPECT_EQ(none->Sequencer.Count, 0);  // replaces the default single entry
    // L = 5: the odd byte is read and ignored, the next block still follows.
    auto odd = LoadBytes(TModuleWriter().Block("SEQU", {0, 0, 0, 0, 9}).Header(8, "next", "").End().Bytes());
    EXPECT_EQ(odd->Sequencer.Count, 0);
    EXPECT_EQ(odd->SongName, "next");
    EXPECT_TRUE(odd->Loaded);
    // A length beyond the end of the file: the entries that are there.
    auto cut = LoadBytes(TModuleWriter().BlockWithLength("SEQU", 1 << 30, {0, 0, 5, 0, 1, 0, 2, 0, 3}).Bytes());
    EXPECT_EQ(cut->Sequencer.Count, 2);
    EXPECT_EQ(cut->Sequencer.GetEntry(1), 2);
    EXPECT_EQ(cut->Sequencer.LoopEnd, 1);
}

TEST(LoadSequence, EntriesPastTheTableReadAsPatternZero)
{
    TQuietLog quiet;
    std::vector<uint16_t> entries(3000);
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i] = static_cast<uint16_t>(1 + i % 7);
    }
    auto song = LoadSequence(0, 2999, entries);
    EXPECT_EQ(song->Sequencer.Count, 3000);
    EXPECT_EQ(song->Sequencer.GetEntry(2047), 1 + 2047 % 7);
    EXPECT_EQ(song->Sequencer.GetEntry(2048), 0);
    EXPECT_EQ(song->Sequencer.GetEntry(2999), 0);
    EXPECT_EQ(song->Sequencer.LoopEnd, 2999);
}
