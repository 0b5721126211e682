// morvel_sample_songs FOLDER: writes samples.dmf, a module with a sample of
// every kind morvel info --samples tells apart (raw, packed and MPEG-stored;
// 8 and 16 bits; mono and stereo; looped and not; a name at the record's 30
// characters and one longer, one with a byte above 127), and
// samples.expected.json, what the listing must say of each, made from what
// was written rather than from what the loader reads.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"

namespace {

std::vector<uint8_t> Ramp(size_t Bytes)
{
    std::vector<uint8_t> pcm(Bytes);
    for (size_t i = 0; i < Bytes; ++i) {
        pcm[i] = static_cast<uint8_t>(i * 7);
    }
    return pcm;
}

TWriterSample Sample(const std::string& Name, size_t Bytes, uint16_t Rate, bool Is16Bit, bool Stereo,
                     TWriterEncoding Encoding)
{
    TWriterSample sample;
    sample.Name = Name;
    sample.Pcm = Ramp(Bytes);
    sample.Rate = Rate;
    sample.Is16Bit = Is16Bit;
    sample.Stereo = Stereo;
    sample.Encoding = Encoding;
    return sample;
}

TWriterSample Looped(TWriterSample Sample, int32_t Start, int32_t End)
{
    Sample.Looped = true;
    Sample.LoopStart = Start;
    Sample.LoopEnd = End;
    return Sample;
}

std::string JsonText(const std::string& Latin1)
{
    std::string json = "\"";
    for (const char c : Latin1) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte < 0x20 || c == '"' || c == '\\') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

// What the listing says of a written sample: lengths and loop points in
// frames, the loop ending at the length at the latest (as the sample plays).
std::string Expected(int Number, const TWriterSample& Sample)
{
    const int frameBytes = (Sample.Is16Bit ? 2 : 1) * (Sample.Stereo ? 2 : 1);
    const int32_t length = Sample.RecordLength();
    const char* storage = Sample.Encoding == TWriterEncoding::Raw      ? "raw"
                          : Sample.Encoding == TWriterEncoding::Packed ? "packed"
                                                                       : "MPEG";
    std::string json = "{\"number\": " + std::to_string(Number);
    json += ", \"name\": " + JsonText(Sample.Name.substr(0, 30));
    json += ", \"frames\": " + std::to_string(length / frameBytes);
    json += ", \"rate\": " + std::to_string(Sample.Rate);
    json += ", \"loop\": " + (Sample.Looped ? "[" + std::to_string(Sample.LoopStart / frameBytes) + ", " +
                                                  std::to_string(std::min(Sample.LoopEnd, length) / frameBytes) + "]"
                                            : std::string("null"));
    json += ", \"bits\": " + std::string(Sample.Is16Bit ? "16" : "8");
    json += ", \"channels\": " + std::string(Sample.Stereo ? "2" : "1");
    json += ", \"storage\": \"" + std::string(storage) + "\"}";
    return json;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvel_sample_songs FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    TWriterSample mpeg = Sample("MPEG stream", 0, 32000, true, true, TWriterEncoding::Mpeg);
    // An MPEG sample's record gives its length; the stream is decoded only by the full load.
    mpeg.LengthField = 4 * 11025;
    mpeg.Compressed = std::vector<uint8_t>(400, 0x55);
    TWriterSong song;
    song.Title = "Samples";
    song.Composer = "morvel tests";
    song.Sequence = {0};
    song.Patterns.emplace_back(1, 4);
    song.Samples = {
        Sample("raw 8-bit mono", 22050, 22050, false, false, TWriterEncoding::Raw),
        Looped(Sample("raw 16-bit stereo, looped", 4000, 44100, true, true, TWriterEncoding::Raw), 400, 3600),
        Looped(Sample("packed 8-bit, looped to its end", 3000, 8363, false, false, TWriterEncoding::Packed), 1000,
               3000),
        Sample("packed 16-bit stereo", 8000, 48000, true, true, TWriterEncoding::Packed),
        mpeg,
        Looped(Sample("a name of thirty characters...", 100, 11025, true, false, TWriterEncoding::Raw), 0, 5000),
        Sample("a name longer than the thirty characters a record keeps", 10, 0, false, false, TWriterEncoding::Raw),
        Sample("M\xFC"
               "ller's \xBB"
               "bell\xAB",
               0, 22050, false, false, TWriterEncoding::Raw),
    };
    std::string expected = "[\n";
    for (size_t i = 0; i < song.Samples.size(); ++i) {
        expected +=
            "  " + Expected(static_cast<int>(i + 1), song.Samples[i]) + (i + 1 < song.Samples.size() ? ",\n" : "\n");
    }
    expected += "]\n";
    const bool written =
        WriteFileBytes(folder + "samples.dmf", WriteSong(song)) &&
        WriteFileBytes(folder + "samples.expected.json", std::vector<uint8_t>(expected.begin(), expected.end()));
    if (!written) {
        std::fprintf(stderr, "morvel_sample_songs: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
