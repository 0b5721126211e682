#pragma once
// Per-track sequencer state and per-voice mixing state; track t drives voice t.

#include <cstdint>

// A row's three effect parameters are kept here as the track state has always
// held them; the effects themselves act on the cell's own values.
struct TTrackState {
    uint8_t Instrument = 0;        // last instrument given on the track, kept between rows
    uint8_t InstrumentEffect = 0;  // instrument effect of the current row (low 4 bits)
    uint16_t InstrumentParam = 0;  // its parameter (kept, see above)
    uint8_t NoteEffect = 0;        // note effect of the current row (low 4 bits)
    uint8_t NoteParam = 0;         // its parameter (kept, see above)
    uint8_t VolumeEffect = 0;      // volume effect of the current row (low 4 bits)
    int32_t VolumeParam = 0;       // its parameter (kept, see above)
    uint8_t Note = 0;              // note of the current row; 0 for none or 128..254
    uint8_t CurrentNote = 0;       // base note of pitch slides: last note 0..127 or 255 seen
    int32_t Volume = 0;            // volume of the current row; 0 for none
    int32_t VolumeSlide = 0;       // per-tick volume change in quarters of a volume unit
    int32_t PitchSlide = 0;        // per-tick pitch change in 1/64 semitone
};

// Voice flag bits.
inline constexpr uint8_t VoiceFlag16Bit = 2;
inline constexpr uint8_t VoiceFlagStereo = 4;

struct TVoice {
    const uint8_t* Data = nullptr;  // first PCM byte of the sample that plays
    int32_t EndOffset = 0;          // byte offset where the voice stops or loops
    int32_t Frequency = 0;          // playback frequency in Hz
    bool Active = false;            // the voice sounds
    bool Looping = false;           // the voice loops back to LoopStart
    int32_t LoopStart = 0;          // loop start byte offset
    uint16_t Fraction = 0;          // position between frames in 1/65536 frame
    int32_t Position = 0;           // current byte offset from Data
    // Volume scaled by the master volume, 0..254, as the last gain update made
    // it (and Stop cleared it): kept as the voice has always had it, though
    // only the gains made from it are read.
    uint8_t MixVolume = 0;
    uint8_t Panning = 127;     // 0 left .. 255 right
    int16_t Volume = 0;        // 0..254
    int16_t LeftGain = 0;      // mono sample to the left output, 0..254
    int16_t RightGain = 0;     // mono sample to the right output, 0..254
    uint8_t SampleNumber = 0;  // sample last started on the voice
    uint8_t Flags = 0;         // VoiceFlag16Bit | VoiceFlagStereo
    int16_t LeftToLeft = 0;    // stereo sample gains, 0..254 each
    int16_t LeftToRight = 0;
    int16_t RightToLeft = 0;
    int16_t RightToRight = 0;
    double VolumeExact = 0.0;  // the volume as a real number; slides work on it
    int32_t DataLength = 0;    // bytes readable from Data (the sample's PCM allocation past Data)
    // The play head has gone back round its loop since its position was last
    // set: the interpolations beside linear then read the loop's last frames
    // before its start, as the voice plays them (player/DmfPlayedFrames.h).
    bool LoopPassed = false;

    // Sets the play head to byte Offset of the sample: a new start there,
    // not yet round the loop.
    void MoveTo(int32_t Offset)
    {
        Position = Offset;
        LoopPassed = false;
    }
};
