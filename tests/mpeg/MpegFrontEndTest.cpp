#include <gtest/gtest.h>

#include <cstring>

#include "mpeg/MpegAllocator.h"
#include "mpeg/MpegFrontEnd.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer12/MpegLayer12.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "tests/mpeg/MpegTestFrames.h"

using namespace MpegTest;

namespace {

// A handle opened on Bytes (kept alive by the caller), freed at the end of the test.
class TOpened {
public:
    explicit TOpened(const std::vector<uint8_t>& Bytes) : Handle(MpegCreate(nullptr, 0))
    {
        OpenResult = MpegOpen(Handle, "xxx", Bytes.data(), static_cast<int32_t>(Bytes.size()));
    }
    ~TOpened() { MpegFree(Handle); }
    TOpened(const TOpened&) = delete;
    TOpened& operator=(const TOpened&) = delete;

    TMpegHandle* Handle;     // the handle under test
    int32_t OpenResult = 0;  // what MpegOpen answered
};

TFrameFields TinyLayer1()  // 48 kHz, 32 kbit/s: 32-byte frames of 384 samples
{
    TFrameFields fields;
    fields.Layer = 1;
    fields.Crc = true;
    fields.FrequencyIndex = 1;
    fields.BitrateIndex = 1;
    return fields;
}

std::vector<uint8_t> WithTag(std::vector<uint8_t> Bytes, const char* Marker, const char* Title)
{
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), Marker, 3);
    std::memcpy(tag.data() + 3, Title, std::strlen(Title));
    Append(Bytes, tag);
    return Bytes;
}

}  // namespace

TEST(MpegFrontEnd, EveryOperationRefusesAMissingHandle)
{
    for (TMpegHandle* missing : {static_cast<TMpegHandle*>(nullptr), MpegCreateFailure()}) {
        uint8_t byte[4];
        TMpegInfo info{};
        EXPECT_EQ(MpegOpen(missing, "xxx", byte, 4), MpegNoHandle);
        EXPECT_EQ(MpegStart(missing), MpegNoHandle);
        EXPECT_EQ(MpegGetInfo(missing, info), MpegNoHandle);
        EXPECT_EQ(MpegRead(missing, byte, 4), MpegNoHandle);
        EXPECT_EQ(MpegStop(missing), MpegNoHandle);
        EXPECT_EQ(MpegSeek(missing, 0), MpegNoHandle);
        EXPECT_EQ(MpegClose(missing), MpegNoHandle);
        EXPECT_EQ(MpegDecodeFrame(missing), MpegNoHandle);
        EXPECT_FALSE(MpegReadTag(missing, byte));
        TMpegHandle* variable = missing;
        EXPECT_EQ(MpegFree(variable), MpegNoHandle);
    }
}

TEST(MpegFrontEnd, CreateFailsWithoutMemoryAndHandlesAreRecycled)
{
    TMMAllocator starved(16);
    EXPECT_EQ(MpegCreate(starved, nullptr, 0), MpegCreateFailure());

    // Room for one handle's block: a second handle comes only from a block handed back.
    TMMAllocator allocator(sizeof(TMpegHandle));
    TMpegHandle* first = MpegCreate(allocator, nullptr, 7);
    ASSERT_TRUE(IsMpegHandle(first));
    EXPECT_EQ(first->NotifyData, 7);
    const std::vector<uint8_t> bytes = Frames(TFrameFields(), 3);
    ASSERT_EQ(MpegOpen(first, "first", bytes.data(), static_cast<int32_t>(bytes.size())), MpegOk);
    TMpegHandle* const block = first;
    EXPECT_EQ(MpegCreate(allocator, nullptr, 0), MpegCreateFailure());
    EXPECT_EQ(MpegFree(first), MpegOk);
    EXPECT_EQ(first, nullptr);

    TMpegHandle* second = MpegCreate(allocator, nullptr, 0);
    EXPECT_EQ(second, block);
    EXPECT_EQ(second->SourceName[0], 0);
    EXPECT_EQ(second->TotalFrames, 0);
    EXPECT_TRUE(second->EndOfStream);
    EXPECT_EQ(second->Channels, 2);
    EXPECT_EQ(second->ScaleFactor, 32768.0f);
    MpegFree(second);
}

TEST(MpegFrontEnd, StreamWithoutFrames)
{
    const std::vector<uint8_t> junk(3000, 0x55);
    TOpened opened(junk);
    EXPECT_EQ(opened.OpenResult, MpegNoHeader);
    EXPECT_EQ(MpegStart(opened.Handle), MpegCannotStart);
    TMpegInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(MpegGetInfo(opened.Handle, info), MpegNoFrames);
    EXPECT_EQ(static_cast<int32_t>(info.Layer), static_cast<int32_t>(0xABABABAB));
    uint8_t out[64];
    EXPECT_EQ(MpegRead(opened.Handle, out, 64), 0);
    EXPECT_EQ(MpegStop(opened.Handle), MpegOk);
    EXPECT_EQ(DecodeAll(junk).size(), 0u);
}

TEST(MpegFrontEnd, OpenByNameStartOnceAndClose)
{
    int calls = 0;
    static int* counter;
    counter = &calls;
    TMpegHandle* handle = MpegCreate([](TMpegHandle*, int32_t Data) { *counter += Data; }, 10);
    const std::vector<uint8_t> bytes = Frames(TFrameFields(), 4);
    const std::vector<uint8_t> other = Frames(TFrameFields(), 9);
    EXPECT_EQ(MpegOpen(handle, "Stream", bytes.data(), static_cast<int32_t>(bytes.size())), MpegOk);
    EXPECT_EQ(calls, 10);
    const int32_t frames4 = handle->TotalFrames;
    EXPECT_EQ(MpegOpen(handle, "STREAM", other.data(), static_cast<int32_t>(other.size())), MpegOk);  // same name: kept
    EXPECT_EQ(handle->TotalFrames, frames4);
    EXPECT_EQ(MpegOpen(handle, "other", other.data(), static_cast<int32_t>(other.size())), MpegOk);
    EXPECT_GT(handle->TotalFrames, frames4);
    EXPECT_EQ(MpegStart(handle), MpegOk);
    EXPECT_EQ(MpegStart(handle), MpegCannotStart);
    EXPECT_EQ(MpegOpen(handle, "", nullptr, 0), MpegOk);  // an empty name closes
    EXPECT_EQ(handle->TotalFrames, 0);
    EXPECT_FALSE(handle->Started);
    EXPECT_EQ(calls, 30);  // the repeated name opened nothing
    EXPECT_EQ(MpegFree(handle), MpegOk);
}

TEST(MpegFrontEnd, StartFailsWhenTheFirstFrameCannotBeRead)
{
    const std::vector<uint8_t> bytes = Frames(TFrameFields(), 3);
    TOpened opened(bytes);
    ASSERT_EQ(opened.OpenResult, MpegOk);
    opened.Handle->Stream->Size = 10;  // the block shrank under the open stream
    EXPECT_EQ(MpegStart(opened.Handle), MpegBuildFailed);
    EXPECT_FALSE(opened.Handle->Started);
}

TEST(MpegFrontEnd, SeekBeyondTheRealFramesFails)
{
    std::vector<uint8_t> bytes = Frames(TFrameFields(), 3);
    bytes.resize(bytes.size() + 10000, 0);
    TOpened opened(bytes);
    ASSERT_EQ(MpegStart(opened.Handle), MpegOk);
    ASSERT_GT(opened.Handle->TotalFrames, 20);
    EXPECT_EQ(MpegSeek(opened.Handle, 20), MpegSeekFailed);
    EXPECT_EQ(MpegSeek(opened.Handle, 2), MpegOk);
    EXPECT_EQ(MpegSeek(opened.Handle, -5), MpegOk);
    EXPECT_EQ(opened.Handle->SeekFrame, 0);
    EXPECT_EQ(MpegStop(opened.Handle), MpegOk);
    EXPECT_EQ(MpegSeek(opened.Handle, 2), MpegOk);  // not started: only remembered
}

TEST(MpegFrontEnd, ExactMultipleOf16384EndsWithFourZeroBytes)
{
    // 32 stereo Layer I frames of 1536 bytes: 49152 = 3 x 16384.
    const std::vector<uint8_t> bytes = Frames(TinyLayer1(), 32);
    std::vector<int32_t> reads;
    const std::vector<uint8_t> pcm = DecodeAll(bytes, &reads);
    EXPECT_EQ(reads, (std::vector<int32_t>{16384, 16384, 16384, 4}));
    EXPECT_EQ(pcm.size(), 49156u);

    // A destination shorter than 4 bytes is never overrun at the end.
    const std::vector<uint8_t> one = Frames(TinyLayer1(), 1);
    TOpened opened(one);
    ASSERT_EQ(MpegStart(opened.Handle), MpegOk);
    std::vector<uint8_t> all(1536);
    EXPECT_EQ(MpegRead(opened.Handle, all.data(), 1536), 1536);
    uint8_t two[2] = {9, 9};
    EXPECT_EQ(MpegRead(opened.Handle, two, 2), 2);
    EXPECT_EQ(two[0], 0);
}

TEST(MpegFrontEnd, OneAndTwoFrameStreamsAreDecodedWhole)
{
    // The estimate counts 0 frames for one frame and 1 for two; the stream is
    // still opened, started and read to its real end.
    for (int count : {1, 2}) {
        const std::vector<uint8_t> bytes = Frames(TFrameFields(), count);
        TOpened opened(bytes);
        EXPECT_EQ(opened.Handle->TotalFrames, 1);
        TMpegInfo info{};
        EXPECT_EQ(MpegGetInfo(opened.Handle, info), MpegOk);
        std::vector<int32_t> reads;
        EXPECT_EQ(DecodeAll(bytes, &reads).size(), static_cast<size_t>(count) * 4608) << count;
        EXPECT_EQ(reads.size(), 1u);
    }
}

TEST(MpegFrontEnd, ChannelModesAndRates)
{
    struct TCase {
        int Version, Frequency, Mode, Bitrate;
        uint8_t Channels;
        int32_t Hz, Nominal;
        size_t BytesPerFrame;
    };
    const TCase cases[] = {
        {1, 0, 3, 8, 0, 44100, 44100, 2304},  // single channel
        {1, 2, 2, 8, 2, 32000, 32000, 4608},  // dual channel decodes as two channels
        {1, 1, 1, 8, 2, 48000, 48000, 4608},  // joint stereo
        {0, 0, 0, 8, 2, 22050, 44100, 4608},  // MPEG-2 low sampling frequency
    };
    for (const TCase& testCase : cases) {
        TFrameFields fields;
        fields.Version = testCase.Version;
        fields.FrequencyIndex = testCase.Frequency;
        fields.Mode = testCase.Mode;
        fields.BitrateIndex = testCase.Bitrate;
        const std::vector<uint8_t> bytes = Frames(fields, 5);
        TOpened opened(bytes);
        ASSERT_EQ(opened.OpenResult, MpegOk);
        EXPECT_EQ(opened.Handle->Channels, testCase.Channels);
        TMpegInfo info{};
        ASSERT_EQ(MpegGetInfo(opened.Handle, info), MpegOk);
        EXPECT_EQ(static_cast<int32_t>(info.Mode), testCase.Mode);
        EXPECT_EQ(static_cast<int32_t>(info.Frequency), testCase.Hz);
        EXPECT_EQ(static_cast<int32_t>(info.NominalRate), testCase.Nominal);
        EXPECT_EQ(static_cast<int32_t>(info.Version), testCase.Version);
        const std::vector<uint8_t> pcm = DecodeAll(bytes);
        EXPECT_EQ(pcm.size(), 5 * testCase.BytesPerFrame) << testCase.Hz;
    }
}

TEST(MpegFrontEnd, InfoOfAStream)
{
    const std::vector<uint8_t> bytes = ReadFixture("l2_44k_stereo_192.mp2");
    TOpened opened(bytes);
    TMpegInfo info{};
    ASSERT_EQ(MpegGetInfo(opened.Handle, info), MpegOk);
    EXPECT_EQ(static_cast<int32_t>(info.Version), 1);
    EXPECT_EQ(static_cast<int32_t>(info.Layer), 2);
    EXPECT_EQ(static_cast<int32_t>(info.Frequency), 44100);
    EXPECT_EQ(static_cast<int32_t>(info.Bitrate), 192);
    EXPECT_EQ(static_cast<int32_t>(info.Mode), 0);
    EXPECT_EQ(static_cast<int32_t>(info.Frames), opened.Handle->TotalFrames);
    EXPECT_DOUBLE_EQ(static_cast<double>(info.MsPerFrame), 26.12245);
    EXPECT_EQ(static_cast<int32_t>(info.TotalMs),
              static_cast<int32_t>(
                  static_cast<float>(opened.Handle->Header->MaxNumberOfFrames(*opened.Handle->Stream) * 26.12245)));
    EXPECT_EQ(info.Tag[0], 0);
}

TEST(MpegFrontEnd, TagSearchNearTheEnd)
{
    const std::vector<uint8_t> frames3 = Frames(TFrameFields(), 3);
    for (const char* marker : {"TAG", "tag", "Tag"}) {
        const std::vector<uint8_t> bytes = WithTag(frames3, marker, "Title");
        TOpened opened(bytes);
        TMpegInfo info{};
        ASSERT_EQ(MpegGetInfo(opened.Handle, info), MpegOk);
        EXPECT_EQ(std::memcmp(info.Tag, marker, 3), 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(info.Tag + 3), "Title");
        EXPECT_EQ(opened.Handle->Stream->Position, FrameBytes(TFrameFields()));  // position restored
    }
    // A tag followed by a few more bytes is still inside the search window.
    std::vector<uint8_t> trailing = WithTag(frames3, "TAG", "x");
    Append(trailing, {1, 2, 3});
    uint8_t tag[128] = {};
    TOpened opened(trailing);
    EXPECT_TRUE(MpegReadTag(opened.Handle, tag));
    // A record cut short by the end of the block is found; where the block ended it reads zero.
    std::vector<uint8_t> cut = frames3;
    Append(cut, {'T', 'A', 'G', 'C', 'u', 't'});
    Append(cut, std::vector<uint8_t>(40, 0x55));
    TOpened cutOpened(cut);
    std::memset(tag, 0xAB, sizeof tag);
    ASSERT_TRUE(MpegReadTag(cutOpened.Handle, tag));
    EXPECT_EQ(std::memcmp(tag, "TAGCut", 6), 0);
    EXPECT_EQ(tag[45], 0x55);
    for (int i = 46; i < 128; ++i) {
        ASSERT_EQ(tag[i], 0) << i;
    }
    // None: the tag stays zero.
    TOpened untagged(frames3);
    EXPECT_FALSE(MpegReadTag(untagged.Handle, tag));

    // A block shorter than the search distance is searched from its start, inside the block.
    const std::vector<uint8_t> small = Frames(TinyLayer1(), 3);
    ASSERT_LT(small.size(), 131u);
    TOpened shortBlock(small);
    ASSERT_EQ(shortBlock.OpenResult, MpegOk);
    EXPECT_FALSE(MpegReadTag(shortBlock.Handle, tag));
}

TEST(MpegFrontEnd, JointStereoBoundMayChangeEveryFrame)
{
    std::vector<uint8_t> bytes;
    for (int extension : {3, 0, 2, 0, 3, 1}) {
        TFrameFields fields;
        fields.Mode = 1;
        fields.ModeExtension = extension;
        Append(bytes, Frame(fields));
    }
    TOpened opened(bytes);
    ASSERT_EQ(MpegStart(opened.Handle), MpegOk);
    std::vector<uint8_t> pcm(6 * 4608);
    EXPECT_EQ(MpegRead(opened.Handle, pcm.data(), static_cast<int32_t>(pcm.size())), static_cast<int32_t>(pcm.size()));
    ASSERT_NE(opened.Handle->Layer12, nullptr);
    EXPECT_LE(opened.Handle->Layer12->StereoSubbandCount, 32);
    EXPECT_LE(opened.Handle->Layer12->IntensitySubbandCount, 32);
    for (uint8_t byte : pcm) {
        ASSERT_EQ(byte, 0);
    }
}

TEST(MpegFrontEnd, StallGuardEndsAReadThatGivesNoPcm)
{
    // MPEG-2 Layer III at 8 kbit/s, stereo with CRC: one byte of main data per frame,
    // and every frame's main data would begin 255 bytes back, so none gives PCM.
    TFrameFields fields;
    fields.Version = 0;
    fields.Layer = 3;
    fields.Crc = true;
    fields.FrequencyIndex = 1;
    fields.BitrateIndex = 1;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 40; ++i) {
        Append(bytes, Frame(fields, {0, 0, 0xFF}));
    }
    TOpened opened(bytes);
    ASSERT_EQ(opened.Handle->Header->MainDataSlots, 1);
    ASSERT_EQ(MpegStart(opened.Handle), MpegOk);
    std::vector<uint8_t> pcm(16384);
    EXPECT_EQ(MpegRead(opened.Handle, pcm.data(), 16384), MpegDecodeFailed);
    EXPECT_EQ(opened.Handle->Stream->FrameIndex, 30);  // 30 frames decoded, the 31st not
}

TEST(MpegFrontEnd, FailedFrameEndsTheRead)
{
    TFrameFields fields;
    fields.Layer = 3;
    const std::vector<uint8_t> bytes = Frames(fields, 4);
    TOpened opened(bytes);
    ASSERT_EQ(MpegStart(opened.Handle), MpegOk);
    opened.Handle->Layer3.reset();  // the Layer III decoder is gone
    uint8_t pcm[64];
    EXPECT_EQ(MpegRead(opened.Handle, pcm, 64), MpegDecodeFailed);
    EXPECT_EQ(MpegStop(opened.Handle), MpegOk);
}
