#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/mpeg/Layer3StreamDecoder.h"

namespace {

struct TFixture {
    const char* Name;       // file name without extension; the reference is Name.pcm
    const char* Extension;  // of the stream file
    int32_t Frequency;      // sampling rate
    int Channels;           // 1 or 2
};

// The encoder's set: both versions and all six rates, mono, stereo, joint and
// forced mid/side stereo, CBR and VBR with a Xing frame, CRC, ID3v2 and ID3v1 tags;
// and a stream wrapped in a RIFF WAV, whose header holds bytes that look like sync.
const TFixture Fixtures[] = {
    {"s44_stereo_cbr", ".mp3", 44100, 2}, {"s44_joint_vbr_tags", ".mp3", 44100, 2},
    {"s48_mono_crc", ".mp3", 48000, 1},   {"s32_ms", ".mp3", 32000, 2},
    {"s22_joint", ".mp3", 22050, 2},      {"s24_mono", ".mp3", 24000, 1},
    {"s16_joint_vbr", ".mp3", 16000, 2},  {"s44_mono_title", ".mp3", 44100, 1},
    {"s22_mono_title", ".mp3", 22050, 1}, {"riff_s44_stereo", ".wav", 44100, 2},
};

struct TComparison {
    double Psnr = 0.0;      // dB against full scale
    int MaxDifference = 0;  // largest difference away from clipping, in LSB
};

// Our PCM from Lead on against the reference.
TComparison Compare(const std::vector<int16_t>& Ours, size_t Lead, const std::vector<int16_t>& Reference)
{
    TComparison result;
    double squareSum = 0.0;
    for (size_t i = 0; i < Reference.size(); ++i) {
        const int mine = Ours[Lead + i];
        const int theirs = Reference[i];
        const int difference = std::abs(mine - theirs);
        squareSum += static_cast<double>(difference) * difference;
        const bool nearClipping = std::abs(theirs) >= 32763 || std::abs(mine) >= 32763;
        if (!nearClipping && difference > result.MaxDifference) {
            result.MaxDifference = difference;
        }
    }
    const double mse = squareSum / static_cast<double>(Reference.size());
    result.Psnr = mse == 0.0 ? 200.0 : 10.0 * std::log10(32768.0 * 32768.0 / mse);
    return result;
}

}  // namespace

// Every stream decodes to the reference decoder's PCM within 90 dB PSNR against
// full scale and 4 LSB per sample (away from clipping). The reference leaves out the
// encoder's information frame (Xing/Info), which decodes here as one frame of
// silence: the streams are aligned by dropping exactly that frame where present.
TEST(Layer3Accuracy, StreamsMatchTheReferenceDecoder)
{
    for (const TFixture& fixture : Fixtures) {
        SCOPED_TRACE(fixture.Name);
        const TDecodedStream decoded = DecodeLayer3Stream(ReadFixture(std::string(fixture.Name) + fixture.Extension));
        const std::vector<int16_t> reference = ReadReferencePcm(std::string(fixture.Name) + ".pcm");
        ASSERT_EQ(decoded.Channels, fixture.Channels);
        ASSERT_EQ(decoded.Frequency, fixture.Frequency);
        ASSERT_FALSE(reference.empty());
        ASSERT_GE(decoded.Pcm.size(), reference.size());
        const size_t lead = decoded.Pcm.size() - reference.size();
        // Frames too small for the information tag (24 kHz mono at 32 kbit/s) have none.
        ASSERT_TRUE(lead == 0 || lead == static_cast<size_t>(decoded.SamplesByFrame.front()));
        for (size_t i = 0; i < lead; ++i) {
            ASSERT_EQ(decoded.Pcm[i], 0);
        }

        const TComparison result = Compare(decoded.Pcm, lead, reference);
        EXPECT_GE(result.Psnr, 90.0);
        EXPECT_LE(result.MaxDifference, 4);
        RecordProperty(std::string(fixture.Name) + "_psnr", std::to_string(result.Psnr));
        std::printf("%-20s PSNR %.1f dB, max difference %d\n", fixture.Name, result.Psnr, result.MaxDifference);
    }
}

// Window switching as no common encoder writes it (make_block_switching_fixtures.sh):
// granules of block types 0-1-2-3-0-1-2-2-3-0-3-0, with mixed_block_flag set on the
// window-switching ones or clear, values loudest in subbands 0 and 1; mono, stereo
// with one channel mixed and the other not, mid/side and intensity stereo (with a
// mixed short block whose channel 1 ends in short band 3: its long part is not
// intensity coded), and MPEG-2, whose mixed blocks have 6 long bands. Mixed blocks of
// types 1 and 3 take the normal window in subbands 0 and 1 and are long blocks
// otherwise. With them an MPEG-2 intensity stereo stream of long blocks whose
// channels differ in bit 0 of scalefac_compress: the intensity scale is channel 1's.
// Each stream decodes within 1 LSB of the reference.
TEST(Layer3Accuracy, BlockSwitchingStreamsMatchTheReferenceDecoder)
{
    const TFixture streams[] = {
        {"blocks_mono", ".mp3", 44100, 1},       {"blocks_mono_mixed", ".mp3", 44100, 1},
        {"blocks_stereo", ".mp3", 44100, 2},     {"blocks_ms_mixed", ".mp3", 44100, 2},
        {"blocks_intensity", ".mp3", 44100, 2},  {"blocks_intensity_ms_mixed", ".mp3", 44100, 2},
        {"blocks_lsf_stereo", ".mp3", 22050, 2}, {"blocks_lsf_intensity_long", ".mp3", 22050, 2},
    };
    for (const TFixture& stream : streams) {
        SCOPED_TRACE(stream.Name);
        const TDecodedStream decoded = DecodeLayer3Stream(ReadFixture(std::string(stream.Name) + stream.Extension));
        const std::vector<int16_t> reference = ReadReferencePcm(std::string(stream.Name) + ".pcm");
        ASSERT_EQ(decoded.Channels, stream.Channels);
        ASSERT_EQ(decoded.Frequency, stream.Frequency);
        ASSERT_FALSE(reference.empty());
        ASSERT_EQ(decoded.Pcm.size(), reference.size());
        const TComparison result = Compare(decoded.Pcm, 0, reference);
        EXPECT_GE(result.Psnr, 90.0);
        EXPECT_LE(result.MaxDifference, 1);
        std::printf("%-30s PSNR %.1f dB, max difference %d\n", stream.Name, result.Psnr, result.MaxDifference);
    }
}
