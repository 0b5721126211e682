#include <gtest/gtest.h>

#include "MpegTestFrames.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"

using namespace MpegTest;

namespace {

// Offset of the first frame THeader finds in Bytes, -1 when none.
int32_t FirstFrameAt(const std::vector<uint8_t>& Bytes)
{
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader Header;
    return Header.ReadHeader(Stream, nullptr) ? Stream.DataStart : -1;
}

std::vector<uint8_t> Id3Tag(uint32_t Size, uint8_t Fill)
{
    std::vector<uint8_t> Tag(10 + Size, Fill);
    const uint8_t Head[10] = {'I', 'D', '3', 3, 0, 0, uint8_t((Size >> 21) & 0x7F), uint8_t((Size >> 14) & 0x7F),
                              uint8_t((Size >> 7) & 0x7F), uint8_t(Size & 0x7F)};
    std::copy(Head, Head + 10, Tag.begin());
    return Tag;
}

const TFrameFields Layer2;

}  // namespace

TEST(MpegBitStream, SkipsLeadingId3Tags)
{
    // Tag bodies full of sync-like bytes are never searched.
    std::vector<uint8_t> Bytes = Id3Tag(257, 0xFF);
    Append(Bytes, Id3Tag(3 << 14, 0xFF));
    const int32_t TagsEnd = int32_t(Bytes.size());
    Append(Bytes, Frames(Layer2, 5));
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    EXPECT_EQ(Stream.TagsEnd, TagsEnd);
    THeader Header;
    ASSERT_TRUE(Header.ReadHeader(Stream, nullptr));
    EXPECT_EQ(Stream.DataStart, TagsEnd);
    EXPECT_EQ(Header.MaxNumberOfFrames(Stream), 5);

    // A tag whose size runs past the block leaves nothing to search.
    const std::vector<uint8_t> Cut = Id3Tag(1 << 20, 0);
    std::vector<uint8_t> Short(Cut.begin(), Cut.begin() + 64);
    EXPECT_EQ(FirstFrameAt(Short), -1);
}

TEST(MpegBitStream, RiffWrapperStartsInTheDataChunk)
{
    std::vector<uint8_t> Bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 8, 0, 0, 0};
    const uint32_t SyncLike = HeaderWord(Layer2);
    for (int Shift = 24; Shift >= 0; Shift -= 8) Bytes.push_back(uint8_t(SyncLike >> Shift));
    Append(Bytes, {0, 0, 0, 0, 'd', 'a', 't', 'a'});
    // The chunk length bytes look like a header too.
    for (int Shift = 24; Shift >= 0; Shift -= 8) Bytes.push_back(uint8_t(SyncLike >> Shift));
    const int32_t First = int32_t(Bytes.size());
    Append(Bytes, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(Bytes), First);
}

TEST(MpegBitStream, JunkBeforeTheFirstFrameWithinTheSearchWindow)
{
    for (int32_t Junk : {0, 1, 1000, TBitStream::SearchWindow}) {
        std::vector<uint8_t> Bytes(size_t(Junk), 0x00);
        Append(Bytes, Frames(Layer2, 3));
        EXPECT_EQ(FirstFrameAt(Bytes), Junk);
    }
    std::vector<uint8_t> TooFar(TBitStream::SearchWindow + 1, 0x00);
    Append(TooFar, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(TooFar), -1);

    // The window is counted from the end of the leading tags.
    std::vector<uint8_t> Tagged = Id3Tag(5000, 0);
    Append(Tagged, std::vector<uint8_t>(TBitStream::SearchWindow, 0x00));
    const int32_t First = int32_t(Tagged.size());
    Append(Tagged, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(Tagged), First);
}

TEST(MpegBitStream, RefusesForbiddenBitrateAndReservedFrequency)
{
    for (auto Spoil : {+[](TFrameFields& S) { S.BitrateIndex = 15; }, +[](TFrameFields& S) { S.BitrateIndex = 0; },
                       +[](TFrameFields& S) { S.FrequencyIndex = 3; }}) {
        TFrameFields Bad = Layer2;
        Spoil(Bad);
        const uint32_t H = HeaderWord(Bad);
        std::vector<uint8_t> Bytes = {uint8_t(H >> 24), uint8_t(H >> 16), uint8_t(H >> 8), uint8_t(H), 0, 0, 0};
        const int32_t First = int32_t(Bytes.size());
        Append(Bytes, Frames(Layer2, 3));
        EXPECT_EQ(FirstFrameAt(Bytes), First);

        std::vector<uint8_t> Only = Frames(Bad, 1);
        Only.resize(600, 0);
        EXPECT_EQ(FirstFrameAt(Only), -1);
    }
}

TEST(MpegBitStream, RunsOfFFAreNotHeaders)
{
    std::vector<uint8_t> Bytes(99, 0xFF);
    Append(Bytes, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(Bytes), 99);
    EXPECT_EQ(FirstFrameAt(std::vector<uint8_t>(5000, 0xFF)), -1);

    // MPEG-1 Layer I without CRC does start with 0xFF 0xFF.
    TFrameFields Layer1;
    Layer1.Layer = 1;
    std::vector<uint8_t> Plain(7, 0x00);
    Append(Plain, Frames(Layer1, 3));
    ASSERT_EQ(Plain[7], 0xFF);
    ASSERT_EQ(Plain[8], 0xFF);
    EXPECT_EQ(FirstFrameAt(Plain), 7);
}

TEST(MpegBitStream, RefusedCandidateOverlappingARealHeader)
{
    // FF F0 00 FF passes as a first candidate and is refused (layer bits 00, bit
    // rate 0); the real header begins at its last byte and must still be found.
    std::vector<uint8_t> Bytes = {0xFF, 0xF0, 0x00};
    Append(Bytes, Frame(Layer2));
    EXPECT_EQ(FirstFrameAt(Bytes), 3);

    // The same between frames of a single-channel stream: FF FD 00 FF matches the
    // sync pattern and is refused for its bit rate; no frame is lost behind it.
    TFrameFields Mono = Layer2;
    Mono.Mode = 3;
    std::vector<uint8_t> Stream = Frame(Mono);
    Append(Stream, {0xFF, 0xFD, 0x00});
    Append(Stream, Frames(Mono, 2));
    TBitStream Bits(Stream.data(), int32_t(Stream.size()));
    THeader Header;
    int Read = 0;
    while (Header.ReadHeader(Bits, nullptr)) ++Read;
    EXPECT_EQ(Read, 3);
}

TEST(MpegBitStream, LaterFramesMustMatchTheFirstHeader)
{
    TFrameFields Mono = Layer2;
    Mono.Mode = 3;
    TFrameFields OtherRate = Layer2;
    OtherRate.FrequencyIndex = 1;
    TFrameFields Layer3 = Layer2;
    Layer3.Layer = 3;
    std::vector<uint8_t> Bytes = Frame(Layer2);
    Append(Bytes, Frame(Mono));
    Append(Bytes, Frame(OtherRate));
    Append(Bytes, Frame(Layer3));
    const int32_t Second = int32_t(Bytes.size());
    Append(Bytes, Frame(Layer2));

    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader Header;
    ASSERT_TRUE(Header.ReadHeader(Stream, nullptr));
    ASSERT_TRUE(Header.ReadHeader(Stream, nullptr));
    EXPECT_EQ(Stream.Position, Second + FrameBytes(Layer2));
    EXPECT_EQ(Stream.FrameIndex, 1);
    EXPECT_FALSE(Header.ReadHeader(Stream, nullptr));
}

TEST(MpegBitStream, TruncatedLastFrameEndsTheStream)
{
    std::vector<uint8_t> Bytes = Frames(Layer2, 2);
    Bytes.resize(Bytes.size() - 1);
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader Header;
    EXPECT_TRUE(Header.ReadHeader(Stream, nullptr));
    EXPECT_FALSE(Header.ReadHeader(Stream, nullptr));
}

TEST(MpegBitStream, GetBitsAcrossWordsAndPastTheBody)
{
    const std::vector<uint8_t> Bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    ASSERT_TRUE(Stream.ReadFrame(7));
    EXPECT_EQ(Stream.GetBits(4), 0x1u);
    EXPECT_EQ(Stream.GetBits(17), 0x2345u << 1);  // bits 4..20: 0010 0011 0100 0101 0
    EXPECT_EQ(Stream.GetBits(11), 0x678u);                 // to the end of the first word
    EXPECT_EQ(Stream.GetBits(16), 0x9ABCu);
    EXPECT_EQ(Stream.GetBits(12), 0xDE0u);  // the body's last byte, then zero bits
    for (int I = 0; I < 2000; ++I) ASSERT_EQ(Stream.GetBits(17), 0u);
    EXPECT_EQ(Stream.GetBits(0), 0u);

    EXPECT_FALSE(Stream.ReadFrame(TBitStream::MaxFrameBytes + 1));
    EXPECT_FALSE(Stream.ReadFrame(8));  // only 0 bytes remain
}

TEST(MpegBitStream, SeekAndReadRawStayInsideTheBlock)
{
    const std::vector<uint8_t> Bytes = {1, 2, 3, 4, 5};
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    EXPECT_EQ(Stream.Seek(2, 0), 2);
    EXPECT_EQ(Stream.Seek(1, 1), 3);
    EXPECT_EQ(Stream.Seek(-1, 2), 4);
    EXPECT_EQ(Stream.Seek(6, 0), -1);
    EXPECT_EQ(Stream.Seek(-10, 1), -1);
    EXPECT_EQ(Stream.Position, 4);
    uint8_t Out[8] = {};
    int32_t Got = 0;
    EXPECT_TRUE(Stream.ReadRaw(Out, 8, Got));
    EXPECT_EQ(Got, 1);
    EXPECT_EQ(Out[0], 5);
    EXPECT_FALSE(Stream.ReadRaw(Out, 8, Got));
    EXPECT_EQ(Got, 0);
}
