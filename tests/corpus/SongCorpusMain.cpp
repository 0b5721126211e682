// morvel_song_corpus OUT [COUNT]: writes COUNT songs (60 by default) made
// from a fixed seed each, OUT/song-NN.dmf, for the hashes that hold every
// render to its bytes across a change (scripts/pcm-hashes.sh). Each song
// draws on all the engine does: samples of every frame format, raw and
// packed, looped over long and very short loops and not; notes across the
// whole range, note offs, sample offsets; volume and pitch slides, panning;
// tick rate and tempo commands from the fastest to slow ones; up to 14 tracks
// and several patterns in a looping sequence. The same numbers give the same
// songs on every build.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tools/writer/WriterModule.h"

namespace {

// A small generator of its own, so that the songs do not depend on the
// standard library's distributions.
class TCorpusRandom {
public:
    explicit TCorpusRandom(uint32_t Seed) : State(Seed * 2654435761u + 1) { }

    uint32_t Next()
    {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return State;
    }
    // 0..Count-1.
    int Below(int Count) { return static_cast<int>(Next() % static_cast<uint32_t>(Count)); }
    bool OneIn(int Count) { return Below(Count) == 0; }

private:
    uint32_t State;
};

constexpr double Pi = 3.14159265358979323846;

// A sample of Frames frames: a few partials, a noise burst or a square,
// decaying or steady, in the format asked for.
TWriterSample MakeSample(TCorpusRandom& Random, int Number)
{
    TWriterSample sample;
    // Appended, not joined with +, which gcc 12 warns of wrongly (-Wrestrict).
    sample.Name = "corpus sample ";
    sample.Name += std::to_string(Number);
    sample.Is16Bit = Random.OneIn(2);
    sample.Stereo = Random.OneIn(3);
    const int shortLoop = Random.OneIn(4);
    const int frames = shortLoop ? 2 + Random.Below(60) : 200 + Random.Below(6000);
    const int kind = Random.Below(3);
    const double period = 4.0 + Random.Below(120);
    const bool decays = !shortLoop && Random.OneIn(2);
    const int rates[] = {8363, 11025, 16000, 22050, 32000, 44100, 48000, 65000};
    sample.Rate = static_cast<uint16_t>(rates[Random.Below(8)]);
    sample.Volume = static_cast<uint8_t>(64 + Random.Below(192));
    for (int f = 0; f < frames; ++f) {
        for (int channel = 0; channel < (sample.Stereo ? 2 : 1); ++channel) {
            const double phase = 2.0 * Pi * f / (period * (channel ? 1.5 : 1.0));
            double value = 0.0;
            if (kind == 0) {
                value = 0.6 * std::sin(phase) + 0.3 * std::sin(3.0 * phase);
            } else if (kind == 1) {
                value = std::sin(phase) >= 0.0 ? 0.7 : -0.7;
            } else {
                value = static_cast<double>(static_cast<int>(Random.Next() % 2001) - 1000) / 1100.0;
            }
            if (decays) {
                value *= std::exp(-3.0 * f / frames);
            }
            if (sample.Is16Bit) {
                const int16_t word = static_cast<int16_t>(std::lround(value * 32000.0));
                sample.Pcm.push_back(static_cast<uint8_t>(word & 0xFF));
                sample.Pcm.push_back(static_cast<uint8_t>((word >> 8) & 0xFF));
            } else {
                sample.Pcm.push_back(static_cast<uint8_t>(static_cast<int8_t>(std::lround(value * 120.0))));
            }
        }
    }
    const int frameBytes = (sample.Is16Bit ? 2 : 1) * (sample.Stereo ? 2 : 1);
    sample.Looped = shortLoop || Random.OneIn(2);
    if (sample.Looped) {
        const int startFrame = shortLoop ? 0 : Random.Below(frames / 2);
        sample.LoopStart = startFrame * frameBytes;
        sample.LoopEnd = frames * frameBytes - (Random.OneIn(3) ? frameBytes : 0);
        if (sample.LoopEnd <= sample.LoopStart) {
            sample.LoopEnd = static_cast<int32_t>(sample.Pcm.size());
        }
    }
    // The packer takes 8-bit data.
    if (!sample.Is16Bit && Random.OneIn(3)) {
        sample.Encoding = TWriterEncoding::Packed;
    }
    return sample;
}

TWriterCell MakeCell(TCorpusRandom& Random, int Samples)
{
    TWriterCell cell;
    if (Random.OneIn(3)) {
        cell.Instrument = static_cast<uint8_t>(1 + Random.Below(Samples));
    }
    const int note = Random.Below(12);
    if (note < 7) {
        cell.Note = static_cast<uint8_t>(1 + Random.Below(108));
    } else if (note == 7) {
        cell.Note = Random.OneIn(2) ? 255 : 127;
    }
    if (cell.Note != 0 && cell.Note <= 108 && cell.Instrument == 0 && Random.OneIn(2)) {
        cell.Instrument = static_cast<uint8_t>(1 + Random.Below(Samples));
    }
    if (Random.OneIn(3)) {
        cell.Volume = static_cast<uint8_t>(1 + Random.Below(255));
    }
    switch (Random.Below(8)) {
    case 0:
        cell.InstrumentEffect = static_cast<uint8_t>(6 + Random.Below(2));
        cell.InstrumentParam = static_cast<uint8_t>(Random.Below(16));
        break;
    case 1:
        cell.NoteEffect = static_cast<uint8_t>(4 + Random.Below(2));
        cell.NoteParam = static_cast<uint8_t>(1 + Random.Below(40));
        break;
    case 2:
        cell.VolumeEffect = static_cast<uint8_t>(1 + Random.Below(2));
        cell.VolumeParam = static_cast<uint8_t>(1 + Random.Below(60));
        break;
    case 3:
        cell.VolumeEffect = 7;
        cell.VolumeParam = static_cast<uint8_t>(Random.Below(256));
        break;
    default:
        break;
    }
    return cell;
}

TWriterSong MakeSong(int Number)
{
    TCorpusRandom random(static_cast<uint32_t>(Number) + 1000);
    TWriterSong song;
    song.Title = "Corpus song " + std::to_string(Number);
    song.Composer = "Corpus";
    song.MessageLines = {"A song of the render corpus"};
    const int samples = 1 + random.Below(8);
    for (int s = 1; s <= samples; ++s) {
        song.Samples.push_back(MakeSample(random, s));
    }
    const int tracks = 1 + random.Below(14);
    const int patterns = 1 + random.Below(3);
    for (int p = 0; p < patterns; ++p) {
        const int rows = 16 + random.Below(48);
        TWriterPattern pattern(tracks, rows, static_cast<uint8_t>((1 + random.Below(8)) << 4));
        for (int row = 0; row < rows; ++row) {
            for (int track = 0; track < tracks; ++track) {
                if (random.Below(10) < 4) {
                    pattern.At(track, row) = MakeCell(random, samples);
                }
            }
            if (random.OneIn(12)) {
                // Tick rate (every rate up to 256 a second) or tempo.
                pattern.GlobalAt(row).Effect = static_cast<uint8_t>(1 + random.Below(2));
                pattern.GlobalAt(row).Param = static_cast<uint8_t>(random.OneIn(8) ? 255 : 10 + random.Below(200));
            }
        }
        song.Patterns.push_back(pattern);
    }
    const int entries = 1 + random.Below(5);
    for (int e = 0; e < entries; ++e) {
        song.Sequence.push_back(static_cast<uint16_t>(random.Below(patterns)));
    }
    song.SongTracks = static_cast<uint8_t>(tracks);
    return song;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: morvel_song_corpus OUT [COUNT]\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const int count = argc == 3 ? std::atoi(argv[2]) : 60;
    std::filesystem::create_directories(out);
    for (int n = 0; n < count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "song-%02d.dmf", n);
        if (!WriteFileBytes((out / name).string(), WriteSong(MakeSong(n)))) {
            std::fprintf(stderr, "morvel_song_corpus: cannot write %s\n", (out / name).string().c_str());
            return 1;
        }
    }
    return 0;
}
