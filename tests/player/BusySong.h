#pragma once
// A song that keeps the mixer busy in every way it can be, for tests that
// hold whole renders to each other.

#include <memory>

#include "tests/support/SongBuilder.h"

// Eight tracks over samples of every frame format, looped (one of them over a
// single frame, one over 37) and not, at low and high pitches, with volume,
// panning and pitch slides, under two tick rates. Not started.
inline std::unique_ptr<TDmf> BusySong()
{
    auto song = MakeSong(2, 8, 64);
    for (int n = 1; n <= 8; ++n) {
        const bool is16Bit = n % 4 >= 2;
        const bool stereo = n % 2 == 1;
        const int32_t frameBytes = (is16Bit ? 2 : 1) * (stereo ? 2 : 1);
        TSample& sample = AddSample(*song, n, 8000 + 5000 * n, 3000 * frameBytes + 2 * n, is16Bit, stereo);
        sample.Looped = n != 4;
        sample.LoopStart = n >= 6 ? 1200 * frameBytes : 500 * frameBytes;
        sample.LoopEnd = n == 8   ? sample.LoopStart + frameBytes
                         : n == 6 ? sample.LoopStart + 37 * frameBytes
                                  : 2900 * frameBytes;
    }
    for (int p = 0; p < 2; ++p) {
        SetGlobal(*song, p, 0, 1, static_cast<uint8_t>(p == 0 ? 59 : 23));  // ticks a second, less one
        for (int t = 0; t < 8; ++t) {
            for (int row = t % 3; row < 64; row += 5 + t) {
                TSector& cell = Cell(*song, p, t, row);
                cell.Instrument = static_cast<uint8_t>(1 + (t + row) % 8);
                cell.Note = static_cast<uint8_t>(10 + (t * 13 + row * 7) % 90);
                cell.Volume = static_cast<uint8_t>(60 + (row * 11) % 190);
                cell.VolumeEffect = 7;  // panning
                cell.VolumeParam = static_cast<uint8_t>(t * 36);
                if (row % 4 == 1) {
                    cell.NoteEffect = static_cast<uint8_t>(4 + t % 2);  // pitch slide up or down
                    cell.NoteParam = 12;
                }
            }
        }
    }
    return song;
}
