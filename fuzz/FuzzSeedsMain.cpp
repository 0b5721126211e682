// morvel_fuzz_seeds OUT MPEG...: writes the generated seed inputs of the fuzz
// corpora: small modules (OUT/module/) that together use every block, sample
// encoding, note column and effect, one of them holding each MPEG file given
// as a compressed sample, and packed sample streams for the unpacker
// (OUT/unpacker/). Few and small: the fuzzer grows the corpus itself.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"
#include "tools/writer/WriterPacker.h"

namespace {

std::vector<uint8_t> Wave(size_t Count, int Step)
{
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < Count; ++i) {
        pcm.push_back(static_cast<uint8_t>((i * static_cast<size_t>(Step)) ^ (i >> 3)));
    }
    return pcm;
}

TWriterSample Sample(const std::string& Name, TWriterEncoding Encoding, bool Is16Bit, bool Stereo)
{
    TWriterSample sample;
    sample.Name = Name;
    sample.Pcm = Wave(Is16Bit || Stereo ? 512 : 256, 37);
    sample.Encoding = Encoding;
    sample.Is16Bit = Is16Bit;
    sample.Stereo = Stereo;
    sample.Looped = true;
    sample.LoopEnd = static_cast<int32_t>(sample.Pcm.size());
    return sample;
}

// Two tracks of 16 rows: notes, volumes, and one effect of each column per row.
TWriterSong BaseSong(const std::string& Title)
{
    TWriterSong song;
    song.Title = Title;
    song.Composer = "Fuzz";
    song.MessageLines = {"A seed of the fuzz corpus", ""};
    song.Sequence = {0};
    song.SongTracks = 2;
    TWriterPattern pattern(2, 16);
    pattern.At(0, 0) = {1, 37, 200};
    pattern.At(1, 8) = {1, 49, 120};
    song.Patterns.push_back(pattern);
    song.Samples = {Sample("raw", TWriterEncoding::Raw, false, false)};
    return song;
}

TWriterSong EffectsSong()
{
    TWriterSong song = BaseSong("Effects");
    TWriterPattern& p = song.Patterns[0];
    const uint8_t instrumentEffects[] = {6, 7, 8, 9, 11};
    for (int i = 0; i < 5; ++i) {
        p.At(0, 2 + i) = {1, static_cast<uint8_t>(30 + i), 150, instrumentEffects[i], static_cast<uint8_t>(i)};
    }
    p.At(1, 2) = {0, 0, 0, 0, 0, 4, 8};
    p.At(1, 4) = {0, 0, 0, 0, 0, 5, 8};
    p.At(1, 6) = {0, 0, 0, 0, 0, 0, 0, 1, 16};
    p.At(1, 7) = {0, 0, 0, 0, 0, 0, 0, 2, 16};
    p.At(1, 9) = {0, 0, 0, 0, 0, 0, 0, 7, 200};
    p.At(0, 12) = {0, 127};
    p.At(1, 13) = {0, 255};
    p.GlobalAt(0) = {1, 99};
    p.GlobalAt(8) = {2, 140};
    song.Samples[0].CuePoints = {0, 16, 64};
    return song;
}

TWriterSong EncodedSong(const std::string& Title, TWriterEncoding Encoding, bool Is16Bit, bool Stereo)
{
    TWriterSong song = BaseSong(Title);
    song.Samples.push_back(Sample("second", Encoding, Is16Bit, Stereo));
    song.Patterns[0].At(1, 4) = {2, 40, 180};
    return song;
}

TWriterSong MpegSong(const std::vector<uint8_t>& Stream)
{
    TWriterSong song = BaseSong("Mpeg");
    TWriterSample mpeg;
    mpeg.Name = "mpeg";
    mpeg.Encoding = TWriterEncoding::Mpeg;
    mpeg.Compressed = Stream;
    mpeg.LengthField = 4096;
    song.Samples = {mpeg};
    return song;
}

TWriterSong LongSong()
{
    TWriterSong song = BaseSong("Two patterns");
    song.Patterns.push_back(song.Patterns[0]);
    song.Sequence = {0, 1, 0};
    song.LoopStart = 1;
    song.Version = 7;
    return song;
}

void Write(const std::filesystem::path& Path, const std::vector<uint8_t>& Bytes)
{
    if (!WriteFileBytes(Path.string(), Bytes)) {
        std::fprintf(stderr, "cannot write %s\n", Path.string().c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: morvel_fuzz_seeds OUT [MPEG...]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::filesystem::path modules = out / "module";
    const std::filesystem::path unpacker = out / "unpacker";
    std::filesystem::create_directories(modules);
    std::filesystem::create_directories(unpacker);

    Write(modules / "base.dmf", WriteSong(BaseSong("Base")));
    Write(modules / "effects.dmf", WriteSong(EffectsSong()));
    Write(modules / "packed.dmf", WriteSong(EncodedSong("Packed", TWriterEncoding::Packed, false, false)));
    Write(modules / "packed16stereo.dmf", WriteSong(EncodedSong("Packed 16", TWriterEncoding::Packed, true, true)));
    Write(modules / "raw16stereo.dmf", WriteSong(EncodedSong("Raw 16", TWriterEncoding::Raw, true, true)));
    Write(modules / "long.dmf", WriteSong(LongSong()));
    TModuleWriter odd;
    odd.Header(8, "Odd blocks", "Fuzz").Block("XTRA", {1, 2, 3}).Message("hello").End();
    Write(modules / "odd.dmf", odd.Bytes());
    Write(modules / "end.dmf", TModuleWriter().End().Bytes());
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path stream = argv[i];
        Write(modules / ("mpeg-" + stream.filename().string() + ".dmf"),
              WriteSong(MpegSong(ReadFileBytes(stream.string()))));
    }

    // Unpacker inputs: the sample's length in 64-byte units, then the packed data.
    const std::vector<std::vector<uint8_t>> pcms = {Wave(256, 1), Wave(1024, 37), Wave(4096, 251),
                                                    std::vector<uint8_t>(640, 0x80)};
    for (size_t i = 0; i < pcms.size(); ++i) {
        const size_t units = (pcms[i].size() + 63) / 64;
        std::vector<uint8_t> input = {static_cast<uint8_t>(units), static_cast<uint8_t>(units >> 8)};
        const std::vector<uint8_t> packed = PackSample(pcms[i]);
        input.insert(input.end(), packed.begin(), packed.end());
        Write(unpacker / ("packed" + std::to_string(i) + ".bin"), input);
    }
    return 0;
}
