// morvel render's sound files, read back by the encoder library itself and
// by a second reader of each format: WAV and FLAC hold the render exactly,
// the lossy formats its length and its loudness curve; the tags hold the
// song's name, composer, message and the program.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/HostRender.h"
#include "host/HostSoundFile.h"
#include "player/DmfOutputFormat.h"
#include "player/DmfPlayback.h"
#include "player/DmfSong.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

const std::string ExampleSong = MORVEL_TEST_DATA "/../../examples/morvel-demo.dmf";
// Two songs of the tests' data: effects on a raw sample, a packed 16-bit stereo sample.
const std::string EffectsSong = MORVEL_TEST_DATA "/fuzz-regressions/playback/effects.dmf";
const std::string PackedSong = MORVEL_TEST_DATA "/fuzz-regressions/playback/packed16stereo.dmf";

// Loudness curves compare RMS levels over windows of 10 ms.
constexpr int64_t WindowFrames = 441;
// Levels (log10 of the RMS of 32768) below this are silence, compared as equal.
constexpr double SilenceRms = 8.0;
// The mean level difference a lossy format may show over a song (0.05 is about 1 dB).
constexpr double MeanLevelMismatch = 0.05;

struct TDecoded {
    int Rate = 0;
    int Channels = 0;
    std::vector<int16_t> Samples;     // interleaved
    std::array<std::string, 4> Tags;  // title, artist, comment, software; empty when missing
};

TDecoded Decode(const std::string& Path)
{
    TDecoded decoded;
    SF_INFO info{};
    SNDFILE* file = sf_open(Path.c_str(), SFM_READ, &info);
    if (!file) {
        ADD_FAILURE() << Path << ": " << sf_strerror(nullptr);
        return decoded;
    }
    decoded.Rate = info.samplerate;
    decoded.Channels = info.channels;
    std::vector<int16_t> chunk(8192 * static_cast<size_t>(info.channels));
    sf_count_t frames;
    while ((frames = sf_readf_short(file, chunk.data(), 8192)) > 0) {
        decoded.Samples.insert(decoded.Samples.end(), chunk.begin(), chunk.begin() + frames * info.channels);
    }
    const int kinds[] = {SF_STR_TITLE, SF_STR_ARTIST, SF_STR_COMMENT, SF_STR_SOFTWARE};
    for (size_t i = 0; i < std::size(kinds); ++i) {
        const char* text = sf_get_string(file, kinds[i]);
        decoded.Tags[i] = text ? text : "";
    }
    sf_close(file);
    return decoded;
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& Pcm)
{
    std::vector<int16_t> samples(Pcm.size() / 2);
    std::memcpy(samples.data(), Pcm.data(), samples.size() * 2);
    return samples;
}

// log10 of the RMS of both channels per window.
std::vector<double> LoudnessCurve(const std::vector<int16_t>& Samples)
{
    std::vector<double> curve;
    const size_t perWindow = static_cast<size_t>(WindowFrames) * 2;
    for (size_t start = 0; start + perWindow <= Samples.size(); start += perWindow) {
        double sum = 0;
        for (size_t i = start; i < start + perWindow; ++i) {
            sum += static_cast<double>(Samples[i]) * Samples[i];
        }
        curve.push_back(std::log10(std::max(std::sqrt(sum / static_cast<double>(perWindow)), SilenceRms)));
    }
    return curve;
}

double MeanMismatch(const std::vector<double>& Curve, const std::vector<double>& Reference)
{
    const size_t count = std::min(Curve.size(), Reference.size());
    double total = 0;
    for (size_t i = 0; i < count; ++i) {
        total += std::abs(Curve[i] - Reference[i]);
    }
    return count ? total / static_cast<double>(count) : 1.0;
}

// Output of a command run through the shell; empty when it could not run.
std::string ShellOutput(const std::string& Command)
{
    std::string text;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen((Command + " 2>&1").c_str(), "r"), &pclose);
    if (!pipe) {
        return text;
    }
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0) {
        text.append(chunk, count);
    }
    return text;
}

bool HasTool(const std::string& Tool)
{
    return std::system(("command -v " + Tool + " >/dev/null 2>&1").c_str()) == 0;
}

class THostRenderFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SoundFilesAvailable()) {
            GTEST_SKIP() << "this build has no encoder library";
        }
        Root = fs::path(::testing::TempDir()) / "morvel-render-formats";
        fs::remove_all(Root);
        fs::create_directories(Root);
    }
    void TearDown() override { fs::remove_all(Root); }

    std::string Path(const std::string& Name) const { return (Root / Name).string(); }
    // The song rendered as raw PCM.
    std::vector<int16_t> RenderRaw(const std::string& Song) const
    {
        const std::string raw = Path("reference.pcm");
        EXPECT_EQ(RunCommand(&RunRenderCommand, {Song, "--force", "-o", raw}).Status, 0);
        return Samples(ReadFileBytes(raw));
    }
    // The song rendered to Name (its extension chooses the format).
    std::string Render(const std::string& Song, const std::string& Name, std::vector<std::string> Extra = {}) const
    {
        std::vector<std::string> args = {Song, "--force", "-o", Path(Name)};
        args.insert(args.end(), Extra.begin(), Extra.end());
        const TCommandRun run = RunCommand(&RunRenderCommand, args);
        EXPECT_EQ(run.Status, 0) << run.Err;
        return Path(Name);
    }

    fs::path Root;
};

TEST_F(THostRenderFormats, WavAndFlacHoldTheRenderExactly)
{
    for (const std::string& song : {ExampleSong, EffectsSong, PackedSong}) {
        SCOPED_TRACE(song);
        const std::vector<int16_t> rendered = RenderRaw(song);
        ASSERT_FALSE(rendered.empty());
        for (const char* name : {"song.wav", "song.flac"}) {
            const TDecoded decoded = Decode(Render(song, name));
            EXPECT_EQ(decoded.Rate, OutputRate) << name;
            EXPECT_EQ(decoded.Channels, OutputChannels) << name;
            EXPECT_TRUE(decoded.Samples == rendered) << name;
        }
    }
    // The WAV file is what morvel has always written: the canonical 44-byte
    // header, the PCM right after it, nothing else.
    const std::vector<uint8_t> raw = ReadFileBytes(Path("reference.pcm"));
    const std::vector<uint8_t> wav = ReadFileBytes(Path("song.wav"));
    const uint32_t data = static_cast<uint32_t>(raw.size());
    const uint32_t riff = data + 36;
    const std::vector<uint8_t> header = {'R',
                                         'I',
                                         'F',
                                         'F',
                                         static_cast<uint8_t>(riff),
                                         static_cast<uint8_t>(riff >> 8),
                                         static_cast<uint8_t>(riff >> 16),
                                         static_cast<uint8_t>(riff >> 24),
                                         'W',
                                         'A',
                                         'V',
                                         'E',
                                         'f',
                                         'm',
                                         't',
                                         ' ',
                                         16,
                                         0,
                                         0,
                                         0,
                                         1,
                                         0,
                                         2,
                                         0,
                                         0x44,
                                         0xAC,
                                         0,
                                         0,
                                         0x10,
                                         0xB1,
                                         0x02,
                                         0,
                                         4,
                                         0,
                                         16,
                                         0,
                                         'd',
                                         'a',
                                         't',
                                         'a',
                                         static_cast<uint8_t>(data),
                                         static_cast<uint8_t>(data >> 8),
                                         static_cast<uint8_t>(data >> 16),
                                         static_cast<uint8_t>(data >> 24)};
    ASSERT_EQ(wav.size(), header.size() + raw.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), wav.begin()));
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), wav.begin() + static_cast<std::ptrdiff_t>(header.size())));
}

TEST_F(THostRenderFormats, LossyFormatsKeepTheLengthAndTheLoudnessCurve)
{
    for (const std::string& song : {ExampleSong, EffectsSong, PackedSong}) {
        SCOPED_TRACE(song);
        const std::vector<int16_t> rendered = RenderRaw(song);
        const std::vector<double> reference = LoudnessCurve(rendered);
        for (const char* name : {"song.ogg", "song.mp3"}) {
            const TDecoded decoded = Decode(Render(song, name));
            EXPECT_EQ(decoded.Rate, OutputRate) << name;
            ASSERT_EQ(decoded.Channels, OutputChannels) << name;
            // Both hold the length (Vorbis by its last page's position, MP3
            // by the encoder's delay and padding in its first frame): the
            // reader hands out exactly the rendered frames.
            EXPECT_EQ(decoded.Samples.size(), rendered.size()) << name;
            const double mismatch = MeanMismatch(LoudnessCurve(decoded.Samples), reference);
            EXPECT_LE(mismatch, MeanLevelMismatch) << name;
        }
    }
}

// A song rendered with the output rate at 48000 Hz, as the engine hands it out.
std::vector<int16_t> EngineRenderAt48000(const std::string& Song)
{
    auto song = std::make_unique<TDmf>();
    song->LoadFromFile(Song);
    song->Sound.Rate = 48000;
    TDmfPlayback playback(*song);
    playback.Start();
    std::vector<int16_t> samples;
    std::vector<int16_t> block(static_cast<size_t>(MaxTickBytes) / 2);
    while (playback.Playing()) {
        const int32_t count = playback.StepBytes();
        playback.Render(block.data(), count);
        samples.insert(samples.end(), block.begin(), block.begin() + count / 2);
    }
    return samples;
}

TEST_F(THostRenderFormats, OpusIsRenderedAt48000HzThroughTheRateSetting)
{
    const std::vector<int16_t> at48000 = EngineRenderAt48000(EffectsSong);
    const std::vector<int16_t> at44100 = RenderRaw(EffectsSong);
    if (at48000.size() == at44100.size()) {
        GTEST_SKIP() << "the engine renders 44100 Hz whatever TDmf::Sound.Rate says: an Opus file (48000 Hz) "
                        "holds the song only once the output rate is in the engine";
    }
    for (const std::string& song : {ExampleSong, EffectsSong, PackedSong}) {
        SCOPED_TRACE(song);
        const std::vector<int16_t> rendered = EngineRenderAt48000(song);
        const TDecoded decoded = Decode(Render(song, "song.opus"));
        EXPECT_EQ(decoded.Rate, 48000);
        ASSERT_EQ(decoded.Channels, OutputChannels);
        // The pre-skip and the last page's position cut the codec's padding away.
        EXPECT_EQ(decoded.Samples.size(), rendered.size());
        // Windows of 10 ms at 48000 Hz: 480 frames, the curves compared window for window.
        EXPECT_LE(MeanMismatch(LoudnessCurve(decoded.Samples), LoudnessCurve(rendered)), MeanLevelMismatch);
    }
}

TEST_F(THostRenderFormats, TagsHoldTheSongsNameComposerMessageAndTheProgram)
{
    const std::string software = std::string("Morvel ") + MORVEL_VERSION;
    for (const char* name : {"song.flac", "song.ogg", "song.opus", "song.mp3"}) {
        SCOPED_TRACE(name);
        const std::string path = Render(ExampleSong, name);
        const TDecoded decoded = Decode(path);
        EXPECT_EQ(decoded.Tags[0], "Morvel Demo");
        EXPECT_EQ(decoded.Tags[1], "The Morvel project");
        // The message's lines without their padding.
        EXPECT_NE(decoded.Tags[2].find("\n"), std::string::npos) << decoded.Tags[2];
        EXPECT_EQ(decoded.Tags[2].find(" \n"), std::string::npos) << decoded.Tags[2];
        if (std::string(name) != "song.mp3") {
            // The library adds its own name to the program's (MP3 keeps the encoder's there).
            EXPECT_EQ(decoded.Tags[3].rfind(software, 0), 0u) << decoded.Tags[3];
        }
    }
    // A WAV file has no tags: it stays byte for byte what it always was.
    EXPECT_EQ(Decode(Render(ExampleSong, "song.wav")).Tags, (std::array<std::string, 4>{}));

    // The same tags as another reader of each format finds them.
    struct TReader {
        const char* Tool;
        const char* File;
        std::string Command;
    };
    const TReader readers[] = {
        {"metaflac", "song.flac", "metaflac --export-tags-to=- "},
        {"vorbiscomment", "song.ogg", "vorbiscomment -l "},
        {"opusinfo", "song.opus", "opusinfo "},
        {"mpg123", "song.mp3", "mpg123 -t -n 1 --long-tag "},
    };
    for (const TReader& reader : readers) {
        SCOPED_TRACE(reader.Tool);
        if (!HasTool(reader.Tool)) {
            std::printf("%s is missing: its reading of the tags is not checked\n", reader.Tool);
            continue;
        }
        const std::string text = ShellOutput(reader.Command + "'" + Path(reader.File) + "'");
        for (const char* value : {"Morvel Demo", "The Morvel project"}) {
            EXPECT_NE(text.find(value), std::string::npos) << text;
        }
    }
}

TEST_F(THostRenderFormats, AFormatComesFromTheNameOrFormatAndAnUnknownExtensionIsAUsageError)
{
    const TCommandRun unknown = RunCommand(&RunRenderCommand, {EffectsSong, "-o", Path("song.xyz")});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_NE(unknown.Err.find("raw, wav, flac, ogg, opus, mp3"), std::string::npos) << unknown.Err;
    EXPECT_FALSE(fs::exists(Path("song.xyz")));
    // --format names it whatever the name; a file is known by its extension in any case.
    Decode(Render(EffectsSong, "song.xyz", {"--format", "FLAC"}));
    EXPECT_EQ(Decode(Render(EffectsSong, "SONG.OGG")).Rate, OutputRate);
    // --quality is for the lossy formats, from 0 to 10.
    EXPECT_EQ(RunCommand(&RunRenderCommand, {EffectsSong, "-q", "5", "-o", Path("q.flac")}).Status, 2);
    EXPECT_EQ(RunCommand(&RunRenderCommand, {EffectsSong, "-q", "11", "-o", Path("q.ogg")}).Status, 2);
    EXPECT_EQ(RunCommand(&RunRenderCommand, {EffectsSong, "-q", "x", "-o", Path("q.ogg")}).Status, 2);
    EXPECT_EQ(RunCommand(&RunRenderCommand, {EffectsSong, "--raw", "--format", "mp3"}).Status, 2);
    // A higher quality makes a larger file.
    const auto small = fs::file_size(Render(ExampleSong, "small.ogg", {"-q", "1"}));
    const auto large = fs::file_size(Render(ExampleSong, "large.ogg", {"-q", "9"}));
    EXPECT_LT(small * 2, large);
    // Several files in a folder take the format's extension.
    ASSERT_EQ(RunCommand(&RunRenderCommand, {EffectsSong, PackedSong, "--format", "opus", "-o", Path("many")}).Status,
              0);
    EXPECT_TRUE(fs::exists(Root / "many" / "effects.opus"));
    EXPECT_TRUE(fs::exists(Root / "many" / "packed16stereo.opus"));
}

}  // namespace
