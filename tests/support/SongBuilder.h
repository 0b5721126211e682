#pragma once
// Builds songs in memory for tests: patterns, cells, samples, sequence.

#include <cstdint>
#include <memory>

#include "player/DmfSong.h"

// A loaded song of `patterns` patterns, each of `tracks` tracks and `rows`
// rows with `rowsPerBeat`, played in order 0, 1, ... (LoopEnd at the last).
std::unique_ptr<TDmf> MakeSong(int patterns, int tracks, int rows, uint16_t rowsPerBeat = 4);

// The cell of a track, to be filled in by the test.
TSector& Cell(TDmf& song, int pattern, int track, int row);

// Puts a global command in a pattern's row.
void SetGlobal(TDmf& song, int pattern, int row, uint8_t effect, uint8_t param);

// Adds sample `number` (growing the sample count) with `length` bytes of PCM
// that count up 1, 2, 3 ... (wrapping), enabled, volume 200.
TSample& AddSample(TDmf& song, int number, int32_t rate, int32_t length, bool is16Bit = false, bool stereo = false);
