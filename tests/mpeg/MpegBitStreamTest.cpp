#include <gtest/gtest.h>

#include <algorithm>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "tests/mpeg/MpegTestFrames.h"

using namespace MpegTest;

namespace {

// Offset of the first frame THeader finds in Bytes, -1 when none.
int32_t FirstFrameAt(const std::vector<uint8_t>& Bytes)
{
    TBitStream stream(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    THeader header;
    return header.ReadHeader(stream, nullptr) ? stream.DataStart : -1;
}

std::vector<uint8_t> Id3Tag(uint32_t Size, uint8_t Fill)
{
    std::vector<uint8_t> tag(10 + Size, Fill);
    const auto sizeBits = [Size](int Shift) { return static_cast<uint8_t>((Size >> Shift) & 0x7F); };
    const uint8_t head[10] = {'I', 'D', '3', 3, 0, 0, sizeBits(21), sizeBits(14), sizeBits(7), sizeBits(0)};
    std::copy(head, head + 10, tag.begin());
    return tag;
}

const TFrameFields Layer2;

}  // namespace

TEST(MpegBitStream, SkipsLeadingId3Tags)
{
    // Tag bodies full of sync-like bytes are never searched.
    std::vector<uint8_t> bytes = Id3Tag(257, 0xFF);
    Append(bytes, Id3Tag(3 << 14, 0xFF));
    const int32_t tagsEnd = static_cast<int32_t>(bytes.size());
    Append(bytes, Frames(Layer2, 5));
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(stream.TagsEnd, tagsEnd);
    THeader header;
    ASSERT_TRUE(header.ReadHeader(stream, nullptr));
    EXPECT_EQ(stream.DataStart, tagsEnd);
    EXPECT_EQ(header.MaxNumberOfFrames(stream), 5);

    // A tag whose size runs past the block leaves nothing to search.
    const std::vector<uint8_t> cut = Id3Tag(1 << 20, 0);
    std::vector<uint8_t> shortBlock(cut.begin(), cut.begin() + 64);
    EXPECT_EQ(FirstFrameAt(shortBlock), -1);
}

TEST(MpegBitStream, RiffWrapperStartsInTheDataChunk)
{
    std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 8, 0, 0, 0};
    const uint32_t syncLike = HeaderWord(Layer2);
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<uint8_t>(syncLike >> shift));
    }
    Append(bytes, {0, 0, 0, 0, 'd', 'a', 't', 'a'});
    // The chunk length bytes look like a header too.
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<uint8_t>(syncLike >> shift));
    }
    const int32_t first = static_cast<int32_t>(bytes.size());
    Append(bytes, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(bytes), first);
}

TEST(MpegBitStream, JunkBeforeTheFirstFrameWithinTheSearchWindow)
{
    for (int32_t junk : {0, 1, 1000, TBitStream::SearchWindow}) {
        std::vector<uint8_t> bytes(static_cast<size_t>(junk), 0x00);
        Append(bytes, Frames(Layer2, 3));
        EXPECT_EQ(FirstFrameAt(bytes), junk);
    }
    std::vector<uint8_t> tooFar(TBitStream::SearchWindow + 1, 0x00);
    Append(tooFar, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(tooFar), -1);

    // The window is counted from the end of the leading tags.
    std::vector<uint8_t> tagged = Id3Tag(5000, 0);
    Append(tagged, std::vector<uint8_t>(TBitStream::SearchWindow, 0x00));
    const int32_t first = static_cast<int32_t>(tagged.size());
    Append(tagged, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(tagged), first);
}

TEST(MpegBitStream, RefusesForbiddenBitrateAndReservedFrequency)
{
    for (auto spoil : {+[](TFrameFields& S) { S.BitrateIndex = 15; }, +[](TFrameFields& S) { S.BitrateIndex = 0; },
                       +[](TFrameFields& S) { S.FrequencyIndex = 3; }}) {
        TFrameFields bad = Layer2;
        spoil(bad);
        const uint32_t h = HeaderWord(bad);
        const auto byteOf = [h](int Shift) { return static_cast<uint8_t>(h >> Shift); };
        std::vector<uint8_t> bytes = {byteOf(24), byteOf(16), byteOf(8), byteOf(0), 0, 0, 0};
        const int32_t first = static_cast<int32_t>(bytes.size());
        Append(bytes, Frames(Layer2, 3));
        EXPECT_EQ(FirstFrameAt(bytes), first);

        std::vector<uint8_t> only = Frames(bad, 1);
        only.resize(600, 0);
        EXPECT_EQ(FirstFrameAt(only), -1);
    }
}

TEST(MpegBitStream, RunsOfFFAreNotHeaders)
{
    std::vector<uint8_t> bytes(99, 0xFF);
    Append(bytes, Frames(Layer2, 3));
    EXPECT_EQ(FirstFrameAt(bytes), 99);
    EXPECT_EQ(FirstFrameAt(std::vector<uint8_t>(5000, 0xFF)), -1);

    // MPEG-1 Layer I without CRC does start with 0xFF 0xFF.
    TFrameFields layer1;
    layer1.Layer = 1;
    std::vector<uint8_t> plain(7, 0x00);
    Append(plain, Frames(layer1, 3));
    ASSERT_EQ(plain[7], 0xFF);
    ASSERT_EQ(plain[8], 0xFF);
    EXPECT_EQ(FirstFrameAt(plain), 7);
}

TEST(MpegBitStream, RefusedCandidateOverlappingARealHeader)
{
    // FF F0 00 FF passes as a first candidate and is refused (layer bits 00, bit
    // rate 0); the real header begins at its last byte and must still be found.
    std::vector<uint8_t> bytes = {0xFF, 0xF0, 0x00};
    Append(bytes, Frame(Layer2));
    EXPECT_EQ(FirstFrameAt(bytes), 3);

    // The same between frames of a single-channel stream: FF FD 00 FF matches the
    // sync pattern and is refused for its bit rate; no frame is lost behind it.
    TFrameFields mono = Layer2;
    mono.Mode = 3;
    std::vector<uint8_t> stream = Frame(mono);
    Append(stream, {0xFF, 0xFD, 0x00});
    Append(stream, Frames(mono, 2));
    TBitStream bits(stream.data(), static_cast<int32_t>(stream.size()));
    THeader header;
    int read = 0;
    while (header.ReadHeader(bits, nullptr)) {
        ++read;
    }
    EXPECT_EQ(read, 3);
}

TEST(MpegBitStream, LaterFramesMustMatchTheFirstHeader)
{
    TFrameFields mono = Layer2;
    mono.Mode = 3;
    TFrameFields otherRate = Layer2;
    otherRate.FrequencyIndex = 1;
    TFrameFields layer3 = Layer2;
    layer3.Layer = 3;
    std::vector<uint8_t> bytes = Frame(Layer2);
    Append(bytes, Frame(mono));
    Append(bytes, Frame(otherRate));
    Append(bytes, Frame(layer3));
    const int32_t second = static_cast<int32_t>(bytes.size());
    Append(bytes, Frame(Layer2));

    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader header;
    ASSERT_TRUE(header.ReadHeader(stream, nullptr));
    ASSERT_TRUE(header.ReadHeader(stream, nullptr));
    EXPECT_EQ(stream.Position, second + FrameBytes(Layer2));
    EXPECT_EQ(stream.FrameIndex, 1);
    EXPECT_FALSE(header.ReadHeader(stream, nullptr));
}

TEST(MpegBitStream, TruncatedLastFrameEndsTheStream)
{
    std::vector<uint8_t> bytes = Frames(Layer2, 2);
    bytes.resize(bytes.size() - 1);
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader header;
    EXPECT_TRUE(header.ReadHeader(stream, nullptr));
    EXPECT_FALSE(header.ReadHeader(stream, nullptr));
}

TEST(MpegBitStream, GetBitsAcrossWordsAndPastTheBody)
{
    const std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    ASSERT_TRUE(stream.ReadFrame(7));
    EXPECT_EQ(stream.GetBits(4), 0x1u);
    EXPECT_EQ(stream.GetBits(17), 0x2345u << 1);  // bits 4..20: 0010 0011 0100 0101 0
    EXPECT_EQ(stream.GetBits(11), 0x678u);        // to the end of the first word
    EXPECT_EQ(stream.GetBits(16), 0x9ABCu);
    EXPECT_EQ(stream.GetBits(12), 0xDE0u);  // the body's last byte, then zero bits
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(stream.GetBits(17), 0u);
    }
    EXPECT_EQ(stream.GetBits(0), 0u);

    EXPECT_FALSE(stream.ReadFrame(TBitStream::MaxFrameBytes + 1));
    EXPECT_FALSE(stream.ReadFrame(8));  // only 0 bytes remain
}

TEST(MpegBitStream, WholeBytesAndLooksAheadAreGetBitsReads)
{
    // A long body, then a short one: past the short one the buffer still holds the
    // long one's later words, which reads give as GetBits does, then zeros past the
    // buffer. ReadBytes, PeekBits64 and SkipBits against GetBits at every step.
    std::vector<uint8_t> bytes(TBitStream::MaxFrameBytes + 40);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    TBitStream fast(bytes.data(), static_cast<int32_t>(bytes.size()));
    TBitStream plain(bytes.data(), static_cast<int32_t>(bytes.size()));
    for (TBitStream* stream : {&fast, &plain}) {
        ASSERT_TRUE(stream->ReadFrame(TBitStream::MaxFrameBytes));
        ASSERT_TRUE(stream->ReadFrame(30));
    }
    auto plainBits = [&](int N) {
        uint64_t value = 0;
        for (int taken = 0; taken < N; taken += 16) {
            value = value << std::min(N - taken, 16) | plain.GetBits(std::min(N - taken, 16));
        }
        return value;
    };
    for (int round = 0; round < 200; ++round) {
        // An odd bit count now and then, so that whole bytes start off a boundary too.
        const int bits = round % 7 == 3 ? 5 : 8 * (round % 5);
        const uint64_t expected = plainBits(bits);
        if (bits % 8 == 0) {
            uint8_t got[8] = {};
            fast.ReadBytes(got, bits / 8);
            uint64_t value = 0;
            for (int i = 0; i < bits / 8; ++i) {
                value = value << 8 | got[i];
            }
            ASSERT_EQ(value, expected) << round;
        } else {
            ASSERT_EQ(fast.PeekBits64() >> (64 - bits), expected) << round;
            fast.SkipBits(bits);
        }
        const uint64_t ahead = fast.PeekBits64();
        ASSERT_EQ(ahead, plainBits(64)) << round;
        // Back in step: the plain stream took the 64 bits only looked at.
        fast.SkipBits(64);
    }
}

TEST(MpegBitStream, SeekAndReadRawStayInsideTheBlock)
{
    const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(stream.Seek(2, 0), 2);
    EXPECT_EQ(stream.Seek(1, 1), 3);
    EXPECT_EQ(stream.Seek(-1, 2), 4);
    EXPECT_EQ(stream.Seek(6, 0), -1);
    EXPECT_EQ(stream.Seek(-10, 1), -1);
    EXPECT_EQ(stream.Position, 4);
    uint8_t out[8] = {};
    int32_t got = 0;
    EXPECT_TRUE(stream.ReadRaw(out, 8, got));
    EXPECT_EQ(got, 1);
    EXPECT_EQ(out[0], 5);
    EXPECT_FALSE(stream.ReadRaw(out, 8, got));
    EXPECT_EQ(got, 0);
}
