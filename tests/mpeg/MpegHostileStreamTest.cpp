// Damaged and hostile Layer I/II streams: decoding never reads or writes outside
// its buffers (the sanitizer build checks) and never runs away.

#include <gtest/gtest.h>

#include <random>

#include "MpegTestFrames.h"

using namespace MpegTest;

namespace {

// Upper bound of the PCM a stream of Size bytes can give: every byte a frame of
// the smallest size with the largest output, plus the end-of-stream bytes.
size_t PcmLimit(size_t Size)
{
    return Size / 24 * 4608 + 4;
}

}  // namespace

TEST(MpegHostileStream, CorruptedStreamsDecodeSafely)
{
    std::mt19937 Random(99);
    for (const char* Name : {"l1_44k_stereo.mp1", "l1_48k_joint_crc.mp1", "l2_48k_joint_128_crc.mp2",
                             "l2_32k_mono_48_lowrate.mp2", "l2_24k_joint_64_crc.mp2"}) {
        const std::vector<uint8_t> Original = ReadFixture(Name);
        ASSERT_FALSE(Original.empty()) << Name;
        for (int Round = 0; Round < 8; ++Round) {
            std::vector<uint8_t> Bytes = Original;
            std::uniform_int_distribution<size_t> Where(0, Bytes.size() - 1);
            for (size_t I = 0; I < Bytes.size() / 40; ++I) Bytes[Where(Random)] = uint8_t(Random());
            const std::vector<uint8_t> Pcm = DecodeAll(Bytes);
            EXPECT_LE(Pcm.size(), PcmLimit(Bytes.size())) << Name;
        }
    }
}

TEST(MpegHostileStream, ValidHeadersOverRandomBodies)
{
    // Every allocation, scale factor and code at random: the bodies claim far more
    // bits than the frames hold.
    std::mt19937 Random(5);
    for (int Mode = 0; Mode < 4; ++Mode)
        for (int Layer : {1, 2}) {
            TFrameFields Fields;
            Fields.Layer = Layer;
            Fields.Mode = Mode;
            Fields.ModeExtension = Mode == 1 ? 1 : 0;
            Fields.BitrateIndex = 1;
            std::vector<uint8_t> Bytes;
            for (int Frame = 0; Frame < 6; ++Frame) {
                std::vector<uint8_t> Body(size_t(FrameBytes(Fields)) - 4);
                for (uint8_t& Byte : Body) Byte = uint8_t(Random());
                Append(Bytes, MpegTest::Frame(Fields, Body));
            }
            const std::vector<uint8_t> Pcm = DecodeAll(Bytes);
            EXPECT_EQ(Pcm.size(), size_t(6 * (Layer == 1 ? 384 : 1152) * (Mode == 3 ? 2 : 4))) << Layer << "/" << Mode;
        }
}

TEST(MpegHostileStream, TruncatedAndTinyBlocks)
{
    const std::vector<uint8_t> Stream = ReadFixture("l2_44k_stereo_192.mp2");
    for (size_t Cut : {size_t(0), size_t(1), size_t(3), size_t(4), size_t(5), size_t(100), Stream.size() / 2,
                       Stream.size() - 1}) {
        const std::vector<uint8_t> Bytes(Stream.begin(), Stream.begin() + std::ptrdiff_t(Cut));
        const std::vector<uint8_t> Pcm = DecodeAll(Bytes);
        EXPECT_LE(Pcm.size(), PcmLimit(Cut) + 4608) << Cut;
    }
}
