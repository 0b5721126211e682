#pragma once
// Patterns: a global track of tempo commands and up to 32 note tracks of cells.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "player/DmfLimits.h"

// One cell of a note track. Zero means an empty column in every field.
struct TSector {
    uint8_t Instrument = 0;        // sample number, 1-based
    uint8_t Note = 0;              // 1..108 start, 127/255 stop, 128..254 nothing
    uint8_t Volume = 0;            // row volume
    uint8_t InstrumentEffect = 0;  // low 4 bits select the effect
    uint8_t InstrumentParam = 0;
    uint8_t NoteEffect = 0;
    uint8_t NoteParam = 0;
    uint8_t VolumeEffect = 0;
    uint8_t VolumeParam = 0;

    void Clear() { *this = TSector{}; }
    bool HasInstrument() const { return Instrument != 0; }
    bool HasNote() const { return Note != 0; }
    bool HasVolume() const { return Volume != 0; }
    bool HasInstrumentEffect() const { return InstrumentEffect != 0; }
    bool HasNoteEffect() const { return NoteEffect != 0; }
    bool HasVolumeEffect() const { return VolumeEffect != 0; }
};

// One row of the global track.
struct TGlobalSector {
    uint8_t Effect = 0;  // 1 tick rate, 2 tempo
    uint8_t Param = 0;

    void Clear() { *this = TGlobalSector{}; }
    bool HasEffect() const { return Effect != 0; }
};

// A column of cells; Count cells exist (at most MaxRows).
template <typename Cell> class TCellTrack {
public:
    // Creates cleared cells up to N or drops those from N on (N held to 0..MaxRows).
    void SetCount(int32_t N);
    void Clear();
    // The cell at I, or null when I is outside 0..Count-1.
    Cell* Sector(int32_t I);
    const Cell* Sector(int32_t I) const;
    int32_t Count() const { return static_cast<int32_t>(Cells.size()); }

private:
    std::vector<Cell> Cells;  // the existing cells, row 0 first
};

using TTrack = TCellTrack<TSector>;
using TGlobalTrack = TCellTrack<TGlobalSector>;

class TPattern {
public:
    // Creates tracks (each with RowCount rows) or drops those from N on (N held to 0..MaxTracks).
    void SetTrackCount(int32_t N);
    // Resizes every track and the global track; does nothing on a pattern without tracks.
    void SetRowCount(int32_t N);
    // Clears the cells of every track (not the global track).
    void Clear();
    // Track I, or null when I is outside 0..TrackCount-1.
    TTrack* Track(int32_t I);
    const TTrack* Track(int32_t I) const;

    std::array<std::unique_ptr<TTrack>, MaxTracks> Tracks;  // entries from TrackCount on are unset
    int32_t TrackCount = 0;                                 // 0..32
    int32_t RowCount = 0;                                   // rows of every track and of the global track
    TGlobalTrack GlobalTrack;                               // tempo commands
    uint16_t RowsPerBeat = 0;                               // read by the tempo command
};
