#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegBitrateText.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/frame/MpegHeader.h"
#include "tests/mpeg/MpegTestFrames.h"

using namespace MpegTest;

namespace {

// Reads the first header of Bytes; the header object is returned for inspection.
THeader FirstHeader(const std::vector<uint8_t>& Bytes, bool* Read = nullptr)
{
    TBitStream stream(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    THeader header;
    const bool ok = header.ReadHeader(stream, nullptr);
    if (Read) {
        *Read = ok;
    }
    return header;
}

}  // namespace

TEST(MpegHeader, FrameSizesAndMainDataSlots)
{
    TFrameFields layer3;
    layer3.Layer = 3;
    layer3.BitrateIndex = 9;  // 128 kbit/s
    THeader h = FirstHeader(Frames(layer3, 2));
    EXPECT_EQ(h.FrameSize, 413);
    EXPECT_EQ(h.MainDataSlots, 381);

    layer3.Mode = 3;
    layer3.Crc = true;
    EXPECT_EQ(FirstHeader(Frames(layer3, 2)).MainDataSlots, 417 - 17 - 2 - 4);

    TFrameFields lsf;  // MPEG-2 Layer III, 22050 Hz, 64 kbit/s: 417 halved
    lsf.Version = 0;
    lsf.Layer = 3;
    lsf.BitrateIndex = 8;
    lsf.Padding = 1;
    h = FirstHeader(Frames(lsf, 2));
    EXPECT_EQ(h.FrameSize, 208 + 1 - 4);
    EXPECT_EQ(h.MainDataSlots, 209 - 17 - 4);
    EXPECT_EQ(h.Frequency(), 22050);

    TFrameFields layer1;  // 448 kbit/s at 44.1 kHz with padding: (121 + 1) * 4
    layer1.Layer = 1;
    layer1.BitrateIndex = 14;
    layer1.Padding = 1;
    layer1.Crc = true;
    h = FirstHeader(Frames(layer1, 2));
    EXPECT_EQ(h.FrameSize, 488 - 4);
    EXPECT_EQ(h.MainDataSlots, 0);

    TFrameFields layer2;  // 48 kHz, 128 kbit/s
    layer2.FrequencyIndex = 1;
    EXPECT_EQ(FirstHeader(Frames(layer2, 2)).FrameSize, 384 - 4);
}

TEST(MpegHeader, SubbandCountsAndIntensityBound)
{
    struct TCase {
        int Bitrate, Frequency, Mode, Extension, Subbands, Bound;
    };
    const TCase cases[] = {
        {4, 1, 0, 0, 8, 0},     // 64 kbit/s stereo at 48 kHz: low-rate table
        {2, 2, 3, 0, 12, 0},    // 48 kbit/s mono at 32 kHz: low-rate table
        {10, 0, 0, 0, 30, 0},   // 192 kbit/s stereo at 44.1 kHz
        {10, 1, 0, 0, 27, 0},   // 192 kbit/s stereo at 48 kHz
        {7, 0, 0, 0, 27, 0},    // 96 kbit/s stereo at 44.1 kHz
        {10, 0, 1, 3, 30, 16},  // joint stereo, bound 16
        {4, 1, 1, 3, 8, 8},     // bound limited to the subband count
        {8, 0, 2, 1, 27, 0},    // dual channel at 64 kbit/s per channel: no bound
    };
    for (const TCase& testCase : cases) {
        TFrameFields fields;
        fields.BitrateIndex = testCase.Bitrate;
        fields.FrequencyIndex = testCase.Frequency;
        fields.Mode = testCase.Mode;
        fields.ModeExtension = testCase.Extension;
        const THeader h = FirstHeader(Frames(fields, 2));
        EXPECT_EQ(h.NumberOfSubbands, testCase.Subbands) << testCase.Bitrate << "/" << testCase.Frequency;
        EXPECT_EQ(h.IntensityStereoBound, testCase.Bound) << testCase.Bitrate << "/" << testCase.Frequency;
    }
    TFrameFields lsf;  // MPEG-2 Layer II codes 30 subbands at any rate
    lsf.Version = 0;
    lsf.BitrateIndex = 4;
    EXPECT_EQ(FirstHeader(Frames(lsf, 2)).NumberOfSubbands, 30);
    EXPECT_DOUBLE_EQ(FirstHeader(Frames(lsf, 2)).MsPerFrame(), 2 * 26.12245);

    TFrameFields layer1;
    layer1.Layer = 1;
    layer1.Mode = 1;
    layer1.ModeExtension = 2;
    const THeader h = FirstHeader(Frames(layer1, 2));
    EXPECT_EQ(h.NumberOfSubbands, 32);
    EXPECT_EQ(h.IntensityStereoBound, 12);
}

TEST(MpegHeader, BitrateTextsAndKbps)
{
    EXPECT_EQ(BitrateText(1, 2, 8), "128 kbit/s");
    EXPECT_EQ(BitrateText(0, 3, 1), "8 kbit/s");
    EXPECT_EQ(BitrateText(1, 1, 14), "448 kbit/s");
    EXPECT_EQ(BitrateText(1, 3, 0), "free format");
    EXPECT_EQ(BitrateText(1, 3, 15), "forbidden");
    EXPECT_EQ(BitrateText(2, 3, 1), "");

    THeader h;
    h.Version = 1;
    h.Layer = 3;
    h.BitrateIndex = 14;
    EXPECT_EQ(h.BitrateKbps(), 320);
    h.BitrateIndex = 0;
    EXPECT_EQ(h.BitrateKbps(), 0);
    h.BitrateIndex = 15;
    EXPECT_EQ(h.BitrateKbps(), 0);
}

TEST(MpegHeader, VbrInformationHeaderInFirstFrame)
{
    TFrameFields fields;
    fields.Layer = 3;
    fields.BitrateIndex = 9;
    for (const char* id : {"Xing", "VBRI"}) {
        std::vector<uint8_t> body(36, 0);
        std::copy(id, id + 4, body.begin() + 32);
        std::vector<uint8_t> bytes = Frame(fields, body);
        Append(bytes, Frame(fields));
        EXPECT_TRUE(FirstHeader(bytes).VbrHeader) << id;
    }
    fields.Mode = 3;  // single channel: the side information is 17 bytes
    const char tag[] = "Xing";
    std::vector<uint8_t> body(21, 0);
    std::copy(tag, tag + 4, body.begin() + 17);
    EXPECT_TRUE(FirstHeader(Frame(fields, body)).VbrHeader);
    EXPECT_FALSE(FirstHeader(Frame(fields)).VbrHeader);
}

TEST(MpegHeader, FrameCountEstimatesAndPlayTime)
{
    TFrameFields fields;
    fields.Layer = 3;
    fields.BitrateIndex = 9;  // 417-byte frames
    const std::vector<uint8_t> bytes = Frames(fields, 10);
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader h;
    ASSERT_TRUE(h.ReadHeader(stream, nullptr));
    EXPECT_EQ(h.MaxNumberOfFrames(stream), 10);
    EXPECT_EQ(h.MinNumberOfFrames(stream), 9);
    EXPECT_DOUBLE_EQ(h.MsPerFrame(), 26.12245);
    EXPECT_FLOAT_EQ(h.TotalMs(stream), static_cast<float>(10 * 26.12245));
}

TEST(MpegHeader, SeekToFrameRereadsFromTheFirstFrame)
{
    TFrameFields fields;
    std::vector<uint8_t> bytes = Frames(fields, 4);
    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader h;
    while (h.ReadHeader(stream, nullptr)) { }
    EXPECT_EQ(stream.FrameIndex, 3);
    ASSERT_TRUE(h.SeekToFrame(stream, 0));
    EXPECT_EQ(stream.FrameIndex, 0);
    ASSERT_TRUE(h.SeekToFrame(stream, 2));
    EXPECT_EQ(stream.FrameIndex, 2);
    EXPECT_FALSE(h.SeekToFrame(stream, 4));
}

TEST(MpegHeader, ProtectedFramesConsumeTheCheckWordAndFeedAnAccumulator)
{
    // Two protected frames and one without CRC. The header's own accumulator
    // starts afresh for each protected frame with its protected header bits (so
    // two equal headers leave the same sum), a copy of the header has its own,
    // and a frame without CRC has none; an accumulator given to ReadHeader takes
    // the bits instead, frame after frame.
    TFrameFields fields;
    fields.Crc = true;
    std::vector<uint8_t> bytes = Frame(fields, {0xBE, 0xEF, 0xA5});
    Append(bytes, Frame(fields, {0x12, 0x34}));
    Append(bytes, Frame(TFrameFields()));
    const uint32_t protectedBits = HeaderWord(fields) & 0xFFFF;
    TCrc16 once;
    once.AddBits(protectedBits, 16);

    TBitStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader h;
    ASSERT_TRUE(h.ReadHeader(stream, nullptr));
    EXPECT_EQ(h.Checksum, 0xBEEF);
    EXPECT_EQ(stream.GetBits(8), 0xA5u);
    ASSERT_NE(h.CrcAccumulator(), nullptr);
    EXPECT_EQ(h.CrcAccumulator()->Checksum(), once.Checksum());
    ASSERT_TRUE(h.ReadHeader(stream, nullptr));
    EXPECT_EQ(h.Checksum, 0x1234);
    EXPECT_EQ(h.CrcAccumulator()->Checksum(), once.Checksum());
    THeader copy = h;
    EXPECT_NE(copy.CrcAccumulator(), h.CrcAccumulator());
    ASSERT_TRUE(h.ReadHeader(stream, nullptr));
    EXPECT_EQ(h.CrcAccumulator(), nullptr);

    TCrc16 given;
    TBitStream again(bytes.data(), static_cast<int32_t>(bytes.size()));
    THeader h2;
    ASSERT_TRUE(h2.ReadHeader(again, &given));
    ASSERT_TRUE(h2.ReadHeader(again, &given));
    EXPECT_EQ(h2.CrcAccumulator(), &given);
    TCrc16 twice = once;
    twice.AddBits(protectedBits, 16);
    EXPECT_EQ(given.Checksum(), twice.Checksum());
}

TEST(MpegHeader, Crc16IsTheStandardPolynomial)
{
    // CRC-16 with polynomial 0x8005, start 0xFFFF, no reflection: "123456789" gives 0xAEE7.
    TCrc16 crc;
    for (char c : std::string("123456789")) {
        crc.AddBits(static_cast<uint8_t>(c), 8);
    }
    EXPECT_EQ(crc.Checksum(), 0xAEE7);
    TCrc16 bitwise;
    for (char c : std::string("123456789")) {
        for (int bit = 7; bit >= 0; --bit) {
            bitwise.AddBits(static_cast<uint8_t>(c) >> bit, 1);
        }
    }
    EXPECT_EQ(bitwise.Checksum(), 0xAEE7);
}
