// Damaged and hostile Layer I/II streams: decoding never reads or writes outside
// its buffers (the sanitizer build checks) and never runs away.

#include <gtest/gtest.h>

#include <random>

#include "tests/mpeg/MpegTestFrames.h"

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
    std::mt19937 random(99);
    for (const char* name : {"l1_44k_stereo.mp1", "l1_48k_joint_crc.mp1", "l2_48k_joint_128_crc.mp2",
                             "l2_32k_mono_48_lowrate.mp2", "l2_24k_joint_64_crc.mp2"}) {
        const std::vector<uint8_t> original = ReadFixture(name);
        ASSERT_FALSE(original.empty()) << name;
        for (int round = 0; round < 8; ++round) {
            std::vector<uint8_t> bytes = original;
            std::uniform_int_distribution<size_t> where(0, bytes.size() - 1);
            for (size_t i = 0; i < bytes.size() / 40; ++i) {
                bytes[where(random)] = static_cast<uint8_t>(random());
            }
            const std::vector<uint8_t> pcm = DecodeAll(bytes);
            EXPECT_LE(pcm.size(), PcmLimit(bytes.size())) << name;
        }
    }
}

TEST(MpegHostileStream, ValidHeadersOverRandomBodies)
{
    // Every allocation, scale factor and code at random: the bodies claim far more
    // bits than the frames hold.
    std::mt19937 random(5);
    for (int mode = 0; mode < 4; ++mode) {
        for (int layer : {1, 2}) {
            TFrameFields fields;
            fields.Layer = layer;
            fields.Mode = mode;
            fields.ModeExtension = mode == 1 ? 1 : 0;
            fields.BitrateIndex = 1;
            std::vector<uint8_t> bytes;
            for (int frame = 0; frame < 6; ++frame) {
                std::vector<uint8_t> body(static_cast<size_t>(FrameBytes(fields)) - 4);
                for (uint8_t& byte : body) {
                    byte = static_cast<uint8_t>(random());
                }
                Append(bytes, MpegTest::Frame(fields, body));
            }
            const std::vector<uint8_t> pcm = DecodeAll(bytes);
            EXPECT_EQ(pcm.size(), static_cast<size_t>(6 * (layer == 1 ? 384 : 1152) * (mode == 3 ? 2 : 4)))
                << layer << "/" << mode;
        }
    }
}

TEST(MpegHostileStream, TruncatedAndTinyBlocks)
{
    const std::vector<uint8_t> stream = ReadFixture("l2_44k_stereo_192.mp2");
    for (size_t cut : {static_cast<size_t>(0), static_cast<size_t>(1), static_cast<size_t>(3), static_cast<size_t>(4),
                       static_cast<size_t>(5), static_cast<size_t>(100), stream.size() / 2, stream.size() - 1}) {
        const std::vector<uint8_t> bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
        const std::vector<uint8_t> pcm = DecodeAll(bytes);
        EXPECT_LE(pcm.size(), PcmLimit(cut) + 4608) << cut;
    }
}
