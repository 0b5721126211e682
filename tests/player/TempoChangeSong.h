#pragma once
// A song whose tick length changes twice, for tests of rendering and seeking
// across tempo changes.

#include "tests/support/SongBuilder.h"

// Two tracks of a looped 16-bit sample, a tick rate change at row 2 and a
// tempo command at row 6, so that the tick size changes twice. Not started.
inline std::unique_ptr<TDmf> TempoChangeSong()
{
    auto song = MakeSong(1, 2, 16, 4);
    TSample& sample = AddSample(*song, 1, 30000, 20000, true);
    sample.Looped = true;
    sample.LoopStart = 4000;
    sample.LoopEnd = 16000;
    TSector& first = Cell(*song, 0, 0, 0);
    first.Instrument = 1;
    first.Note = 37;
    TSector& second = Cell(*song, 0, 1, 3);
    second.Instrument = 1;
    second.Note = 44;
    second.Volume = 90;
    SetGlobal(*song, 0, 1, 1, 99);   // 100 ticks per second
    SetGlobal(*song, 0, 5, 2, 125);  // 125 beats per minute of 4 rows
    return song;
}
