#include "tools/writer/WriterStressSongs.h"

#include "tools/writer/WriterModule.h"
#include "tools/writer/WriterSong.h"

namespace {

constexpr int StressTracks = 32;
constexpr int StressRows = 1024;
constexpr int SequenceEntries = 65535;
constexpr uint8_t TickRateEffect = 1;
constexpr uint8_t FastestTickRate = 255;  // stored as ticks a second minus one
constexpr uint8_t PitchSlideUp = 4;
constexpr uint8_t PitchSlideDown = 5;
constexpr uint8_t VolumeSlideDown = 2;

}  // namespace

std::vector<uint8_t> WriteLongestLegalSong()
{
    TWriterSong song;
    song.Title = "longest legal song";
    song.SongTracks = StressTracks;
    TWriterPattern pattern(StressTracks, StressRows);
    pattern.GlobalAt(0) = {TickRateEffect, FastestTickRate};
    for (int track = 0; track < StressTracks; ++track) {
        for (int row = 0; row < StressRows; ++row) {
            TWriterCell& cell = pattern.At(track, row);
            cell.Instrument = 1;
            cell.Note = static_cast<uint8_t>(24 + (track + row) % 60);
            cell.Volume = 200;
            cell.NoteEffect = (row & 1) ? PitchSlideUp : PitchSlideDown;
            cell.NoteParam = 32;
            cell.VolumeEffect = VolumeSlideDown;
            cell.VolumeParam = 1;
        }
    }
    song.Patterns.push_back(std::move(pattern));
    song.Sequence.assign(SequenceEntries, 0);
    TWriterSample sample;
    sample.Name = "tone";
    sample.Pcm.assign(64, 0);
    for (size_t i = 0; i < sample.Pcm.size(); ++i) {
        sample.Pcm[i] = static_cast<uint8_t>(i < 32 ? 0x40 : 0xC0);
    }
    sample.Looped = true;
    sample.LoopEnd = static_cast<int32_t>(sample.Pcm.size());
    song.Samples.push_back(sample);
    return WriteSong(song);
}
