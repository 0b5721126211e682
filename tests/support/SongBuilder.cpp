#include "tests/support/SongBuilder.h"

std::unique_ptr<TDmf> MakeSong(int patterns, int tracks, int rows, uint16_t rowsPerBeat)
{
    auto song = std::make_unique<TDmf>();
    song->SetPatternCount(patterns);
    for (int p = 0; p < patterns; ++p) {
        TPattern& pattern = *song->GetPattern(p);
        pattern.SetTrackCount(tracks);
        pattern.SetRowCount(rows);
        pattern.RowsPerBeat = rowsPerBeat;
        song->Sequencer.SetEntry(p, p);
    }
    song->Sequencer.SetLoopEnd(patterns - 1);
    song->Loaded = true;
    return song;
}

TSector& Cell(TDmf& song, int pattern, int track, int row)
{
    return *song.GetPattern(pattern)->Track(track)->Sector(row);
}

void SetGlobal(TDmf& song, int pattern, int row, uint8_t effect, uint8_t param)
{
    TGlobalSector& cell = *song.GetPattern(pattern)->GlobalTrack.Sector(row);
    cell.Effect = effect;
    cell.Param = param;
}

TSample& AddSample(TDmf& song, int number, int32_t rate, int32_t length, bool is16Bit, bool stereo)
{
    if (song.SampleCount < number) {
        song.SetSampleCount(number);
    }
    TSample& sample = *song.GetSample(number);
    uint8_t* data = sample.Allocate(length);
    for (int32_t i = 0; i < length; ++i) {
        data[i] = static_cast<uint8_t>(i + 1);
    }
    sample.Length = length;
    sample.Rate = rate;
    sample.Is16Bit = is16Bit;
    sample.Stereo = stereo;
    sample.Enabled = true;
    sample.Volume = 200;
    sample.Empty = false;
    return sample;
}
