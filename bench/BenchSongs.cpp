#include "bench/BenchSongs.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

// Adds sample Number: Length bytes of a sawtooth, looped over its second half.
void AddLoopedSample(TDmf& Song, int Number, int32_t Length, bool Is16Bit, bool Stereo)
{
    Song.SetSampleCount(std::max(Song.SampleCount, Number));
    TSample& sample = *Song.GetSample(Number);
    uint8_t* data = sample.Allocate(Length);
    for (int32_t i = 0; i < Length; ++i) {
        data[i] = static_cast<uint8_t>(i * (Number + 3));
    }
    sample.Empty = false;
    sample.Length = Length;
    sample.Rate = 22050 + 1000 * Number;
    sample.Is16Bit = Is16Bit;
    sample.Stereo = Stereo;
    sample.Looped = true;
    sample.LoopStart = Length / 2;
    sample.LoopEnd = Length - 8;
    sample.Enabled = true;
    sample.Volume = 180;
}

}  // namespace

std::string ExampleSongPath()
{
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(MORVEL_SOURCE_DIR "/examples", error)) {
        if (entry.path().extension() == ".dmf") {
            found.push_back(entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found.empty() ? std::string() : found.front();
}

std::unique_ptr<TDmf> SyntheticSong(int Tracks, bool AllStereo16, TSyntheticNotes Notes)
{
    auto song = std::make_unique<TDmf>();
    song->SetPatternCount(1);
    TPattern& pattern = *song->GetPattern(0);
    pattern.SetTrackCount(Tracks);
    pattern.SetRowCount(1024);
    pattern.RowsPerBeat = 4;
    song->Sequencer.SetEntry(0, 0);
    for (int n = 1; n <= 4; ++n) {
        AddLoopedSample(*song, n, 60000, AllStereo16 || n >= 3, AllStereo16 || n % 2 == 0);
    }
    const int lastNoteRow = Notes == TSyntheticNotes::HeldFromTheStart ? 0 : 1023;
    for (int t = 0; t < Tracks; ++t) {
        for (int row = 0; row <= lastNoteRow; row += 32) {
            TSector& cell = *pattern.Track(t)->Sector(row);
            cell.Instrument = static_cast<uint8_t>(1 + (t + row / 32) % 4);
            cell.Note = static_cast<uint8_t>(30 + (t * 5 + row / 32) % 24);
            cell.VolumeEffect = 7;  // panning spread across the tracks
            cell.VolumeParam = static_cast<uint8_t>(t * 8);
        }
    }
    song->Loaded = true;
    return song;
}
