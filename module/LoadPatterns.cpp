// The pattern block and the uncrunching of each pattern's event data.

#include <array>
#include <string>

#include "module/LoadLog.h"
#include "module/LoadPatternFormat.h"
#include "module/LoadReader.h"
#include "player/DmfSong.h"

namespace {

// A track count byte can name up to 255 tracks; all are decoded to stay in step.
constexpr int MaxStoredTracks = 256;

// Reads pattern data; bytes needed past its end read as zero, so a row cut short is completed with zeros.
class TCrunchedData {
public:
    explicit TCrunchedData(const std::vector<uint8_t>& Bytes) : Bytes(Bytes) { }
    uint8_t Next()
    {
        const uint8_t byte = Pos < Bytes.size() ? Bytes[Pos] : 0;
        ++Pos;
        return byte;
    }
    bool Exhausted() const { return Pos >= Bytes.size(); }

private:
    const std::vector<uint8_t>& Bytes;  // the pattern's data as read
    size_t Pos = 0;                     // next byte to read
};

// Decodes the rows of one pattern. Pattern may be null (a pattern past the
// model's limit): the data is then decoded for nothing. Tracks past 32 and rows
// past 1024 are decoded but not stored (the model has no room for them).
void Uncrunch(const std::vector<uint8_t>& Bytes, int Tracks, int Rows, TPattern* Pattern)
{
    std::array<uint8_t, MaxStoredTracks> counters;  // [0] global track, [k] track k
    counters.fill(1);
    TCrunchedData data(Bytes);

    // Row 0 is always decoded (a pattern without rows still has a global track
    // that may keep cells); the end of the data is checked only between rows.
    for (int row = 0;; ++row) {
        TGlobalSector global;
        if (--counters[0] == 0) {
            const uint8_t info = data.Next();
            counters[0] = (info & InfoRepeat) ? static_cast<uint8_t>(data.Next() + 1) : 1;
            const uint8_t effect = info & GlobalEffectMask;
            if (effect != 0) {
                global.Effect = effect;
                global.Param = data.Next();
            }
        }
        if (Pattern) {
            if (TGlobalSector* cell = Pattern->GlobalTrack.Sector(row)) {
                *cell = global;
            }
        }

        for (int k = 1; k <= Tracks; ++k) {
            TSector sector;
            uint8_t& counter = counters[static_cast<size_t>(k)];
            if (--counter == 0) {
                const uint8_t info = data.Next();
                counter = (info & InfoRepeat) ? static_cast<uint8_t>(data.Next() + 1) : 1;
                if (info & InfoInstrument) {
                    sector.Instrument = data.Next();
                }
                if (info & InfoNote) {
                    sector.Note = data.Next();
                }
                if (info & InfoVolume) {
                    sector.Volume = data.Next();
                }
                if (info & InfoInstrumentEffect) {
                    sector.InstrumentEffect = data.Next();
                    sector.InstrumentParam = data.Next();
                }
                if (info & InfoNoteEffect) {
                    sector.NoteEffect = data.Next();
                    sector.NoteParam = data.Next();
                }
                if (info & InfoVolumeEffect) {
                    sector.VolumeEffect = data.Next();
                    sector.VolumeParam = data.Next();
                }
            }
            if (Pattern) {
                if (TTrack* track = Pattern->Track(k - 1)) {
                    if (TSector* cell = track->Sector(row)) {
                        *cell = sector;
                    }
                }
            }
        }
        if (data.Exhausted() || row + 1 >= Rows || row + 1 >= MaxRows) {
            break;
        }
    }
}

std::string PatternHeaderLine(int Tracks)
{
    std::string line = "NR|GLOB.|";
    for (int t = 0; t < Tracks; ++t) {
        line += "?? in no vo i1 i2 n1 n2 v1 v2|";
    }
    return line;
}

// Rows per beat from the beat byte's high nibble; a nibble below 2 means 4.
uint16_t RowsPerBeatOf(uint8_t Beat)
{
    return static_cast<uint16_t>((Beat < 0x20 ? 0x40 : Beat) >> 4);
}

}  // namespace

void TDmf::ReadPatterns()
{
    TFieldReader in(*Stream);
    DebugLog(" Filepos BEFORE PATT:" + HexVar(static_cast<int32_t>(in.Position())) + " Bytes.");
    const int32_t length = in.I32();
    const uint16_t count = in.U16();
    const uint8_t songTracks = in.U8();
    DebugLog(" PATT Blocklength:" + HexVar(length) + " Bytes.");
    SongTrackCount = songTracks;
    SetPatternCount(count);
    DebugLog("dmfReadPATT: " + HexVar(count) + " Entries");

    for (int32_t i = 0; i < count; ++i) {
        if (in.Remaining() == 0) {
            // Every record left reads as zero: no tracks, no rows, 4 rows per beat.
            // Applied at once, so that an absurd count in a cut file costs no time.
            for (int32_t p = i; p < PatternCount; ++p) {
                TPattern& pattern = *Patterns[static_cast<size_t>(p)];
                pattern.SetTrackCount(0);
                if (TGlobalSector* first = pattern.GlobalTrack.Sector(0)) {
                    first->Clear();
                }
                pattern.RowsPerBeat = RowsPerBeatOf(0);
            }
            DebugLog(" Patterns " + HexVar(i) + " to " + HexVar(count - 1) + " lie past the end of the file");
            break;
        }
        const uint8_t tracks = in.U8();
        const uint8_t beat = in.U8();
        const uint16_t rows = in.U16();
        const int32_t dataLength = in.I32();
        DebugLog(" Uncrunching Pattern " + HexVar(i));
        TPattern* pattern = GetPattern(i);  // null past the model's 256 patterns: read and dropped
        if (pattern) {
            pattern->SetTrackCount(tracks);
            pattern->SetRowCount(rows);
        }
        const std::vector<uint8_t> data = in.Available(dataLength);
        DebugLog(PatternHeaderLine(tracks));
        if (pattern) {
            Uncrunch(data, tracks, rows, pattern);
            pattern->RowsPerBeat = RowsPerBeatOf(beat);
        }
        DebugLog(" Loaded Pattern " + HexVar(i));
    }
    DebugLog(" Filepos AFTER PATT:" + HexVar(static_cast<int32_t>(in.Position())) + " Bytes.");
}
