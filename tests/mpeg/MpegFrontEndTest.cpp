#include <gtest/gtest.h>

#include <cstring>

#include "MpegTestFrames.h"
#include "mpeg/MpegAllocator.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/MpegFrontEnd.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"

using namespace MpegTest;

namespace {

// A handle opened on Bytes (kept alive by the caller), freed at the end of the test.
class TOpened {
public:
    explicit TOpened(const std::vector<uint8_t>& Bytes) : Handle(MpegCreate(nullptr, 0))
    {
        OpenResult = MpegOpen(Handle, "xxx", Bytes.data(), int32_t(Bytes.size()));
    }
    ~TOpened() { MpegFree(Handle); }
    TOpened(const TOpened&) = delete;
    TOpened& operator=(const TOpened&) = delete;

    TMpegHandle* Handle;     // the handle under test
    int32_t OpenResult = 0;  // what MpegOpen answered
};

TFrameFields TinyLayer1()  // 48 kHz, 32 kbit/s: 32-byte frames of 384 samples
{
    TFrameFields Fields;
    Fields.Layer = 1;
    Fields.Crc = true;
    Fields.FrequencyIndex = 1;
    Fields.BitrateIndex = 1;
    return Fields;
}

std::vector<uint8_t> WithTag(std::vector<uint8_t> Bytes, const char* Marker, const char* Title)
{
    std::vector<uint8_t> Tag(128, 0);
    std::memcpy(Tag.data(), Marker, 3);
    std::memcpy(Tag.data() + 3, Title, std::strlen(Title));
    Append(Bytes, Tag);
    return Bytes;
}

}  // namespace

TEST(MpegFrontEnd, EveryOperationRefusesAMissingHandle)
{
    for (TMpegHandle* Missing : {static_cast<TMpegHandle*>(nullptr), MpegCreateFailure()}) {
        uint8_t Byte[4];
        TMpegInfo Info{};
        EXPECT_EQ(MpegOpen(Missing, "xxx", Byte, 4), MpegNoHandle);
        EXPECT_EQ(MpegStart(Missing), MpegNoHandle);
        EXPECT_EQ(MpegGetInfo(Missing, Info), MpegNoHandle);
        EXPECT_EQ(MpegRead(Missing, Byte, 4), MpegNoHandle);
        EXPECT_EQ(MpegStop(Missing), MpegNoHandle);
        EXPECT_EQ(MpegSeek(Missing, 0), MpegNoHandle);
        EXPECT_EQ(MpegClose(Missing), MpegNoHandle);
        EXPECT_EQ(MpegDecodeFrame(Missing), MpegNoHandle);
        EXPECT_FALSE(MpegReadTag(Missing, Byte));
        TMpegHandle* Variable = Missing;
        EXPECT_EQ(MpegFree(Variable), MpegNoHandle);
    }
}

TEST(MpegFrontEnd, CreateFailsWithoutMemoryAndHandlesAreRecycled)
{
    TMMAllocator Starved(16);
    EXPECT_EQ(MpegCreate(Starved, nullptr, 0), MpegCreateFailure());

    TMMAllocator Allocator;
    TMpegHandle* First = MpegCreate(Allocator, nullptr, 7);
    ASSERT_TRUE(IsMpegHandle(First));
    EXPECT_EQ(First->NotifyData, 7);
    const std::vector<uint8_t> Bytes = Frames(TFrameFields(), 3);
    ASSERT_EQ(MpegOpen(First, "first", Bytes.data(), int32_t(Bytes.size())), MpegOk);
    TMpegHandle* const Block = First;
    EXPECT_EQ(MpegFree(First), MpegOk);
    EXPECT_EQ(First, nullptr);

    TMpegHandle* Second = MpegCreate(Allocator, nullptr, 0);
    EXPECT_EQ(Second, Block);
    EXPECT_EQ(Allocator.BlockCount(), 1u);
    EXPECT_EQ(Second->SourceName[0], 0);
    EXPECT_EQ(Second->TotalFrames, 0);
    EXPECT_TRUE(Second->EndOfStream);
    EXPECT_EQ(Second->Channels, 2);
    EXPECT_EQ(Second->ScaleFactor, 32768.0f);
    MpegFree(Second);
}

TEST(MpegFrontEnd, StreamWithoutFrames)
{
    const std::vector<uint8_t> Junk(3000, 0x55);
    TOpened Opened(Junk);
    EXPECT_EQ(Opened.OpenResult, MpegNoHeader);
    EXPECT_EQ(MpegStart(Opened.Handle), MpegCannotStart);
    TMpegInfo Info;
    std::memset(&Info, 0xAB, sizeof Info);
    EXPECT_EQ(MpegGetInfo(Opened.Handle, Info), MpegNoFrames);
    EXPECT_EQ(int32_t(Info.Layer), int32_t(0xABABABAB));
    uint8_t Out[64];
    EXPECT_EQ(MpegRead(Opened.Handle, Out, 64), 0);
    EXPECT_EQ(MpegStop(Opened.Handle), MpegOk);
    EXPECT_EQ(DecodeAll(Junk).size(), 0u);
}

TEST(MpegFrontEnd, OpenByNameStartOnceAndClose)
{
    int Calls = 0;
    static int* Counter;
    Counter = &Calls;
    TMpegHandle* Handle = MpegCreate([](TMpegHandle*, int32_t Data) { *Counter += Data; }, 10);
    const std::vector<uint8_t> Bytes = Frames(TFrameFields(), 4);
    const std::vector<uint8_t> Other = Frames(TFrameFields(), 9);
    EXPECT_EQ(MpegOpen(Handle, "Stream", Bytes.data(), int32_t(Bytes.size())), MpegOk);
    EXPECT_EQ(Calls, 10);
    const int32_t Frames4 = Handle->TotalFrames;
    EXPECT_EQ(MpegOpen(Handle, "STREAM", Other.data(), int32_t(Other.size())), MpegOk);  // same name: kept
    EXPECT_EQ(Handle->TotalFrames, Frames4);
    EXPECT_EQ(MpegOpen(Handle, "other", Other.data(), int32_t(Other.size())), MpegOk);
    EXPECT_GT(Handle->TotalFrames, Frames4);
    EXPECT_EQ(MpegStart(Handle), MpegOk);
    EXPECT_EQ(MpegStart(Handle), MpegCannotStart);
    EXPECT_EQ(MpegOpen(Handle, "", nullptr, 0), MpegOk);  // an empty name closes
    EXPECT_EQ(Handle->TotalFrames, 0);
    EXPECT_FALSE(Handle->Started);
    EXPECT_EQ(Calls, 30);  // the repeated name opened nothing
    EXPECT_EQ(MpegFree(Handle), MpegOk);
}

TEST(MpegFrontEnd, StartFailsWhenTheFirstFrameCannotBeRead)
{
    const std::vector<uint8_t> Bytes = Frames(TFrameFields(), 3);
    TOpened Opened(Bytes);
    ASSERT_EQ(Opened.OpenResult, MpegOk);
    Opened.Handle->Stream->Size = 10;  // the block shrank under the open stream
    EXPECT_EQ(MpegStart(Opened.Handle), MpegBuildFailed);
    EXPECT_FALSE(Opened.Handle->Started);
}

TEST(MpegFrontEnd, SeekBeyondTheRealFramesFails)
{
    std::vector<uint8_t> Bytes = Frames(TFrameFields(), 3);
    Bytes.resize(Bytes.size() + 10000, 0);
    TOpened Opened(Bytes);
    ASSERT_EQ(MpegStart(Opened.Handle), MpegOk);
    ASSERT_GT(Opened.Handle->TotalFrames, 20);
    EXPECT_EQ(MpegSeek(Opened.Handle, 20), MpegSeekFailed);
    EXPECT_EQ(MpegSeek(Opened.Handle, 2), MpegOk);
    EXPECT_EQ(MpegSeek(Opened.Handle, -5), MpegOk);
    EXPECT_EQ(Opened.Handle->SeekFrame, 0);
    EXPECT_EQ(MpegStop(Opened.Handle), MpegOk);
    EXPECT_EQ(MpegSeek(Opened.Handle, 2), MpegOk);  // not started: only remembered
}

TEST(MpegFrontEnd, ExactMultipleOf16384EndsWithFourZeroBytes)
{
    // 32 stereo Layer I frames of 1536 bytes: 49152 = 3 x 16384.
    const std::vector<uint8_t> Bytes = Frames(TinyLayer1(), 32);
    std::vector<int32_t> Reads;
    const std::vector<uint8_t> Pcm = DecodeAll(Bytes, &Reads);
    EXPECT_EQ(Reads, (std::vector<int32_t>{16384, 16384, 16384, 4}));
    EXPECT_EQ(Pcm.size(), 49156u);

    // A destination shorter than 4 bytes is never overrun at the end.
    const std::vector<uint8_t> One = Frames(TinyLayer1(), 1);
    TOpened Opened(One);
    ASSERT_EQ(MpegStart(Opened.Handle), MpegOk);
    std::vector<uint8_t> All(1536);
    EXPECT_EQ(MpegRead(Opened.Handle, All.data(), 1536), 1536);
    uint8_t Two[2] = {9, 9};
    EXPECT_EQ(MpegRead(Opened.Handle, Two, 2), 2);
    EXPECT_EQ(Two[0], 0);
}

TEST(MpegFrontEnd, OneAndTwoFrameStreamsAreDecodedWhole)
{
    // The estimate counts 0 frames for one frame and 1 for two; the stream is
    // still opened, started and read to its real end.
    for (int Count : {1, 2}) {
        const std::vector<uint8_t> Bytes = Frames(TFrameFields(), Count);
        TOpened Opened(Bytes);
        EXPECT_EQ(Opened.Handle->TotalFrames, 1);
        TMpegInfo Info{};
        EXPECT_EQ(MpegGetInfo(Opened.Handle, Info), MpegOk);
        std::vector<int32_t> Reads;
        EXPECT_EQ(DecodeAll(Bytes, &Reads).size(), size_t(Count) * 4608) << Count;
        EXPECT_EQ(Reads.size(), 1u);
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
    const TCase Cases[] = {
        {1, 0, 3, 8, 0, 44100, 44100, 2304},  // single channel
        {1, 2, 2, 8, 2, 32000, 32000, 4608},  // dual channel decodes as two channels
        {1, 1, 1, 8, 2, 48000, 48000, 4608},  // joint stereo
        {0, 0, 0, 8, 2, 22050, 44100, 4608},  // MPEG-2 low sampling frequency
    };
    for (const TCase& Case : Cases) {
        TFrameFields Fields;
        Fields.Version = Case.Version;
        Fields.FrequencyIndex = Case.Frequency;
        Fields.Mode = Case.Mode;
        Fields.BitrateIndex = Case.Bitrate;
        const std::vector<uint8_t> Bytes = Frames(Fields, 5);
        TOpened Opened(Bytes);
        ASSERT_EQ(Opened.OpenResult, MpegOk);
        EXPECT_EQ(Opened.Handle->Channels, Case.Channels);
        TMpegInfo Info{};
        ASSERT_EQ(MpegGetInfo(Opened.Handle, Info), MpegOk);
        EXPECT_EQ(int32_t(Info.Mode), Case.Mode);
        EXPECT_EQ(int32_t(Info.Frequency), Case.Hz);
        EXPECT_EQ(int32_t(Info.NominalRate), Case.Nominal);
        EXPECT_EQ(int32_t(Info.Version), Case.Version);
        const std::vector<uint8_t> Pcm = DecodeAll(Bytes);
        EXPECT_EQ(Pcm.size(), 5 * Case.BytesPerFrame) << Case.Hz;
    }
}

TEST(MpegFrontEnd, InfoOfAStream)
{
    const std::vector<uint8_t> Bytes = ReadFixture("l2_44k_stereo_192.mp2");
    TOpened Opened(Bytes);
    TMpegInfo Info{};
    ASSERT_EQ(MpegGetInfo(Opened.Handle, Info), MpegOk);
    EXPECT_EQ(int32_t(Info.Version), 1);
    EXPECT_EQ(int32_t(Info.Layer), 2);
    EXPECT_EQ(int32_t(Info.Frequency), 44100);
    EXPECT_EQ(int32_t(Info.Bitrate), 192);
    EXPECT_EQ(int32_t(Info.Mode), 0);
    EXPECT_EQ(int32_t(Info.Frames), Opened.Handle->TotalFrames);
    EXPECT_DOUBLE_EQ(double(Info.MsPerFrame), 26.12245);
    EXPECT_EQ(int32_t(Info.TotalMs), int32_t(float(Opened.Handle->Header->MaxNumberOfFrames(*Opened.Handle->Stream) * 26.12245)));
    EXPECT_EQ(Info.Tag[0], 0);
}

TEST(MpegFrontEnd, TagSearchNearTheEnd)
{
    const std::vector<uint8_t> Frames3 = Frames(TFrameFields(), 3);
    for (const char* Marker : {"TAG", "tag", "Tag"}) {
        const std::vector<uint8_t> Bytes = WithTag(Frames3, Marker, "Title");
        TOpened Opened(Bytes);
        TMpegInfo Info{};
        ASSERT_EQ(MpegGetInfo(Opened.Handle, Info), MpegOk);
        EXPECT_EQ(std::memcmp(Info.Tag, Marker, 3), 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(Info.Tag + 3), "Title");
        EXPECT_EQ(Opened.Handle->Stream->Position, FrameBytes(TFrameFields()));  // position restored
    }
    // A tag followed by a few more bytes is still inside the search window.
    std::vector<uint8_t> Trailing = WithTag(Frames3, "TAG", "x");
    Append(Trailing, {1, 2, 3});
    uint8_t Tag[128] = {};
    TOpened Opened(Trailing);
    EXPECT_TRUE(MpegReadTag(Opened.Handle, Tag));
    // A record cut short by the end of the block is found; where the block ended it reads zero.
    std::vector<uint8_t> Cut = Frames3;
    Append(Cut, {'T', 'A', 'G', 'C', 'u', 't'});
    Append(Cut, std::vector<uint8_t>(40, 0x55));
    TOpened CutOpened(Cut);
    std::memset(Tag, 0xAB, sizeof Tag);
    ASSERT_TRUE(MpegReadTag(CutOpened.Handle, Tag));
    EXPECT_EQ(std::memcmp(Tag, "TAGCut", 6), 0);
    EXPECT_EQ(Tag[45], 0x55);
    for (int I = 46; I < 128; ++I) ASSERT_EQ(Tag[I], 0) << I;
    // None: the tag stays zero.
    TOpened Untagged(Frames3);
    EXPECT_FALSE(MpegReadTag(Untagged.Handle, Tag));

    // A block shorter than the search distance is searched from its start, inside the block.
    const std::vector<uint8_t> Small = Frames(TinyLayer1(), 3);
    ASSERT_LT(Small.size(), 131u);
    TOpened Short(Small);
    ASSERT_EQ(Short.OpenResult, MpegOk);
    EXPECT_FALSE(MpegReadTag(Short.Handle, Tag));
}

TEST(MpegFrontEnd, JointStereoBoundMayChangeEveryFrame)
{
    std::vector<uint8_t> Bytes;
    for (int Extension : {3, 0, 2, 0, 3, 1}) {
        TFrameFields Fields;
        Fields.Mode = 1;
        Fields.ModeExtension = Extension;
        Append(Bytes, Frame(Fields));
    }
    TOpened Opened(Bytes);
    ASSERT_EQ(MpegStart(Opened.Handle), MpegOk);
    std::vector<uint8_t> Pcm(6 * 4608);
    EXPECT_EQ(MpegRead(Opened.Handle, Pcm.data(), int32_t(Pcm.size())), int32_t(Pcm.size()));
    EXPECT_LE(Opened.Handle->StereoSubbandCount, 32);
    EXPECT_LE(Opened.Handle->IntensitySubbandCount, 32);
    for (uint8_t Byte : Pcm) ASSERT_EQ(Byte, 0);
}

TEST(MpegFrontEnd, StallGuardEndsAReadThatGivesNoPcm)
{
    // MPEG-2 Layer III at 8 kbit/s, stereo with CRC: one byte of main data per frame,
    // and every frame's main data would begin 255 bytes back, so none gives PCM.
    TFrameFields Fields;
    Fields.Version = 0;
    Fields.Layer = 3;
    Fields.Crc = true;
    Fields.FrequencyIndex = 1;
    Fields.BitrateIndex = 1;
    std::vector<uint8_t> Bytes;
    for (int I = 0; I < 40; ++I) Append(Bytes, Frame(Fields, {0, 0, 0xFF}));
    TOpened Opened(Bytes);
    ASSERT_EQ(Opened.Handle->Header->MainDataSlots, 1);
    ASSERT_EQ(MpegStart(Opened.Handle), MpegOk);
    std::vector<uint8_t> Pcm(16384);
    EXPECT_EQ(MpegRead(Opened.Handle, Pcm.data(), 16384), MpegDecodeFailed);
    EXPECT_EQ(Opened.Handle->Stream->FrameIndex, 30);  // 30 frames decoded, the 31st not
}

TEST(MpegFrontEnd, FailedFrameEndsTheRead)
{
    TFrameFields Fields;
    Fields.Layer = 3;
    const std::vector<uint8_t> Bytes = Frames(Fields, 4);
    TOpened Opened(Bytes);
    ASSERT_EQ(MpegStart(Opened.Handle), MpegOk);
    Opened.Handle->Layer3.reset();  // the Layer III decoder is gone
    uint8_t Pcm[64];
    EXPECT_EQ(MpegRead(Opened.Handle, Pcm, 64), MpegDecodeFailed);
    EXPECT_EQ(MpegStop(Opened.Handle), MpegOk);
}
