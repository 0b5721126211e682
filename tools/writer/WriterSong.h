#pragma once
// In-memory description of a module for the writer: what a tracker would
// hold before saving.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One cell of a note track; zero fields are empty columns.
struct TWriterCell {
    uint8_t Instrument = 0;        // sample number, 1-based
    uint8_t Note = 0;              // 1..108 start, 127/255 stop
    uint8_t Volume = 0;            // row volume, 0 = none
    uint8_t InstrumentEffect = 0;  // 6..9 sample offset, 11 cue jump
    uint8_t InstrumentParam = 0;
    uint8_t NoteEffect = 0;  // 4 slide up, 5 slide down
    uint8_t NoteParam = 0;
    uint8_t VolumeEffect = 0;  // 1 slide up, 2 slide down, 7 panning
    uint8_t VolumeParam = 0;

    bool IsEmpty() const;
};

// One row of the global track.
struct TWriterGlobalCell {
    uint8_t Effect = 0;  // 1 tick rate, 2 tempo; at most 127
    uint8_t Param = 0;   // stored only with an effect
};

struct TWriterPattern {
    TWriterPattern(int Tracks, int Rows, uint8_t Beat = 0x40);

    TWriterCell& At(int Track, int Row) { return Cells.at(static_cast<size_t>(Track)).at(static_cast<size_t>(Row)); }
    TWriterGlobalCell& GlobalAt(int Row) { return Global.at(static_cast<size_t>(Row)); }

    int Tracks;                                   // note tracks (the file allows up to 255)
    int Rows;                                     // rows (the file allows up to 65535)
    uint8_t Beat;                                 // high nibble: rows per beat
    std::vector<TWriterGlobalCell> Global;        // one per row
    std::vector<std::vector<TWriterCell>> Cells;  // [track][row]
    // Stored instead of the crunched cells when set (damaged or hand-made data).
    std::optional<std::vector<uint8_t>> RawData;
    // Data length field written instead of the data's size when set.
    std::optional<int32_t> DataLengthField;
};

enum class TWriterEncoding { Raw, Packed, Mpeg };

struct TWriterSample {
    std::string Name;          // may be longer than the 30 characters a reader keeps
    std::vector<uint8_t> Pcm;  // signed 8-bit or 16-bit little-endian, stereo interleaved
    uint16_t Rate = 22050;     // Hz at the reference note 37
    uint8_t Volume = 255;      // default volume
    bool Looped = false;
    int32_t LoopStart = 0;  // byte offsets
    int32_t LoopEnd = 0;
    bool Is16Bit = false;
    bool Stereo = false;
    TWriterEncoding Encoding = TWriterEncoding::Raw;
    std::vector<uint8_t> Compressed;           // Mpeg: the stream stored as it is
    std::vector<int32_t> CuePoints;            // at most 255; byte offsets
    std::optional<int32_t> LengthField;        // record length written instead of Pcm.size()
    std::optional<uint8_t> FlagsField;         // record flags written instead of the derived ones
    std::optional<int32_t> StoredLengthField;  // stored length written instead of the true one

    uint8_t Flags() const;
    int32_t RecordLength() const;
    // The bytes stored in the sample data block for this sample.
    std::vector<uint8_t> StoredData() const;
};

struct TWriterSong {
    uint8_t Version = 8;
    std::string Title;
    std::string Composer;
    std::string Tracker = "MORVEL";
    std::vector<std::string> MessageLines;  // each padded or cut to 40 columns
    uint16_t LoopStart = 0;
    std::optional<uint16_t> LoopEnd;  // default: the last sequence index
    std::vector<uint16_t> Sequence;
    uint8_t SongTracks = 0;  // stored in the pattern block, informative only
    std::vector<TWriterPattern> Patterns;
    std::vector<TWriterSample> Samples;
};

// The message block's text for these lines: each padded with spaces or cut to 40 columns.
std::string MessageText(const std::vector<std::string>& Lines);
