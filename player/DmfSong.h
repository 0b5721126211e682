#pragma once
// TDmf: one loaded song and the whole state of the player that renders it.
//
// Its fields stand under their owners: the song as the loader (module/) fills
// it, the sequencer's play state, the mixer's buffers (private) and one
// load's working state (private). One re-entrant Lock guards each whole load,
// render, skip, start, stop and rewind.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PlatformLock.h"
#include "platform/PlatformStream.h"
#include "player/DmfLimits.h"
#include "player/DmfPattern.h"
#include "player/DmfSample.h"
#include "player/DmfSequence.h"
#include "player/DmfSoundSettings.h"
#include "player/DmfVoice.h"

class TSampleUnpacker;
class TVoiceRamps;
struct TSampleRecord;

class TDmf {
public:
    TDmf();
    ~TDmf();
    TDmf(const TDmf&) = delete;
    TDmf& operator=(const TDmf&) = delete;

    // ---- Model -----------------------------------------------------------
    void Acquire() { Lock.Enter(); }
    void Release() { Lock.Leave(); }
    // Pattern I, or null when I is outside 0..PatternCount-1.
    TPattern* GetPattern(int32_t I);
    // Sample N (1-based), or null when N names no existing sample.
    TSample* GetSample(int32_t N);
    // Creates empty patterns or drops those from N on (N held to 0..256).
    void SetPatternCount(int32_t N);
    // Creates samples or drops those above N, first silencing voices that play them (N held to 0..255).
    void SetSampleCount(int32_t N);
    // Silences every voice and fading note that reads Data (a sample's PCM
    // about to be released).
    void SilenceVoicesReading(const uint8_t* Data);
    // Stops a playing song; when Loaded, drops the samples and the Loaded state.
    void Clear();

    // ---- Sequencer -------------------------------------------------------
    void Start();  // rewinds and plays (only when Loaded)
    void Stop();   // stops and silences every voice, its glides and fading notes (click removal) at once
    // Plays on from where it stopped (only when Loaded): kept as the song has
    // always had it, though the players of this program start or seek instead.
    void Resume();
    void Rewind();  // back to the first row of the sequence
    // One tick: the sequencer's tick and the gain update, nothing mixed; the
    // voices' play heads move on as the tick's mix would have moved them.
    // (SkipBlock is the name the song has always given this: it skips one
    // tick, BlockBytes of output.)
    void SkipBlock();
    // The tick both rendering and skipping begin with: the sequencer's tick
    // (while playing) and the gain update; the play heads stay where they
    // are. With click removal, what the tick changed starts its glides.
    void SequencerTick();
    // One tick; WithVoices false advances only the song's timing (rows,
    // sequence, tick length), as the length run needs.
    void ProcessTick(bool WithVoices = true);
    void AdvanceVoices(int32_t TrackCount);  // a tick's effects on the pattern's voices
    void ProcessGlobalRow(uint8_t PatternNo);
    // Reads row Row of track Track of pattern PatternNo into the track state
    // and the voice of the same number: its columns, then the note it starts
    // or stops. One number names the cell's track and the voice, since track
    // t always drives voice t (once two parameters, always passed the same).
    void ProcessTrackRow(uint8_t Track, uint8_t PatternNo, int32_t Row);
    void SetTickRate(double TicksPerSecond);
    double NoteFreq(int32_t Rate, double Note) const;
    void PlayInstrument(uint8_t Instrument, uint8_t Voice, uint16_t Note);
    void PlayNote(uint8_t Voice, uint8_t SampleNo, uint16_t Note);
    void SetVolume(uint8_t Voice, int16_t Value);
    void SetPanning(uint8_t Voice, uint8_t Value);
    void UpdateVoiceGains();
    // Runs the song once silently from its start and stores LengthBytes and
    // LengthMs. RewindAfter: rewind once more at the end (the full load does,
    // the information load not).
    void MeasureLength(bool RewindAfter);

    // ---- Mixer -----------------------------------------------------------
    // Fills Dest with exactly Count bytes of output at the song's rate when
    // 0 < Count <= MaxTickBytesAt(rate): any count, as many ticks as it
    // takes, the rest of the last one kept for the next call. (RenderBlock is
    // the name the song has always given this, from when every call was one
    // tick.)
    void RenderBlock(void* Dest, int32_t Count);
    // Mixes voices 0..31 for one tick into TickBuffer and returns its bytes:
    // the output frames of the tick's song time at the song's rate
    // (DmfSongTime.h), BlockBytes at 44100 Hz.
    int32_t MixTick();
    // Moves voices 0..31 on by one tick exactly as MixTick does, mixing nothing.
    void MoveVoices();
    // Makes the mixer's buffers, sized for the rate in force, on the first
    // mix (again only if a later one needs larger ones); a song that never
    // renders has none. A driver that must not fail for memory while it
    // renders calls it once it has set Sound.
    void AllocateRenderBuffers();
    // Bytes mixed but not yet handed out by RenderBlock.
    int32_t QueuedBytes() const { return FifoBytes; }
    // Forgets the bytes mixed but not yet handed out (a seek leaves them behind).
    void DiscardQueued();

    // ---- Loading ---------------------------------------------------------
    // Throws EFileOpenError when the file cannot be opened.
    void LoadFromFile(const std::string& Path);
    void LoadInfoFromFile(const std::string& Path);
    void LoadFromStream(TStream& Source);
    void LoadInfoFromStream(TStream& Source);
    static uint8_t BlockKind(const uint8_t Tag[4]);

    // ---- Song: what the loader fills from the file (module/) -------------
    std::string FilePath;
    std::string FileName;
    std::array<uint8_t, 62> Header{};  // raw header block after its tag
    int32_t Version = 0;               // the file's format version byte
    std::string TrackerName;           // 8 characters naming the writing program
    std::string SongName;
    std::string Composer;
    std::vector<std::string> Message;  // the song message, one line per entry
    TSequencer Sequencer;
    std::array<std::unique_ptr<TPattern>, MaxPatterns> Patterns;
    int32_t PatternCount = 0;
    // The track count of the pattern block's header: kept as the song has
    // always held it, though playback goes by each pattern's own TrackCount.
    uint16_t SongTrackCount = 0;
    // 1-based; [0] unused.
    std::array<std::unique_ptr<TSample>, MaxSamples + 1> Samples;
    int32_t SampleCount = 0;
    // Measured by a silent run of the sequencer at load: the output bytes of
    // every tick up to the one that ends the song (at most the 32-bit byte
    // total), which a player hands out in all, and their milliseconds.
    int64_t LengthBytes = 0;
    int32_t LengthMs = 0;
    bool Loaded = false;
    // Held by each whole load, render, skip, start, stop and rewind; Acquire
    // and Release hold it across several calls.
    TCriticalSection Lock;

    // ---- How the song sounds: the listener's choices (player/) -----------
    // Set by the song's driver before it starts the song, and kept while the
    // song plays. The defaults are the sound the player has always made.
    TSoundSettings Sound;
    // Sound with every value held to its range: what the song renders with.
    TSoundSettings SoundInForce() const { return SoundSettingsHeld(Sound); }

    // ---- Play state: the sequencer's, where the song is (player/) --------
    bool Playing = false;
    uint16_t SequencePos = 0;    // next sequence index to load; SequencePos - 1 plays
    uint8_t CurrentPattern = 0;  // pattern that plays
    uint16_t CurrentRow = 0;     // rows of the current pattern already read
    uint8_t TickCountdown = 1;   // ticks left until the next row is read
    uint16_t RowsPerBeat = 0;    // copied from the pattern by the tempo command
    uint8_t MasterVolume = 240;
    // The output bytes of one tick at the current tempo: a multiple of 4, at
    // most MaxTickBytes. (BlockBytes is the name the song and its players have
    // always used for a tick's length.)
    int32_t BlockBytes = InitialTickBytes;
    // Song time of the ticks mixed or skipped since the song was last
    // rewound, in frames at 44100 Hz (the sum of their BlockBytes / 4): where
    // the song stands, and where each tick's output frames begin.
    int64_t ElapsedFrames = 0;
    std::array<TTrackState, VoiceCount> TrackStates{};
    std::array<TVoice, VoiceCount> Voices{};

private:
    // Tests read and write the mixer's buffers through this seam.
    friend struct TDmfMixerProbe;

    // ---- A track row's columns (player/DmfSequencer.cpp) -----------------
    // Each reads its column of the cell and acts on the column's effect: a
    // new effect goes into the reader of its column.
    void ReadInstrumentColumn(uint8_t Track, const TSector& Cell);  // cue point 0; sample offset, cue jump
    void ReadNoteColumn(uint8_t Track, const TSector& Cell);        // pitch slides
    void ReadVolumeColumn(uint8_t Track, const TSector& Cell);      // volume slides, panning

    void ResetTrackStatesAndPanning();
    void ResetToEmptySong();
    bool Load(TStream& Source, bool InfoOnly);
    void LoadFile(const std::string& Path, bool InfoOnly);

    // ---- Mixer buffers: the mixer's alone (player/DmfMixer.cpp) ----------
    // Empty until the song first mixes; each sized for BufferFrames, the
    // longest tick at the rate in force when they were made.
    std::vector<float> MixBuffer;     // the left accumulators, then the right MixRight floats further (DmfMixFrame.h)
    std::vector<uint8_t> TickBuffer;  // 16-bit stereo PCM of the last tick mixed
    std::vector<uint8_t> Fifo;        // rendered PCM not yet handed out (two of the largest ticks)
    int32_t FifoBytes = 0;
    int32_t BufferFrames = 0;
    int32_t MixRight = 0;
    // Click removal's glides and fading notes (player/DmfVoiceRamps.h), made
    // with the song: larger than the rest of the song object.
    std::unique_ptr<TVoiceRamps> Ramps;
    // The output frames of the next tick at Rate, which it counts as elapsed.
    int32_t NextTickFrames(int32_t Rate);

    // ---- Loader working state: one load's, none outside it (module/) -----
    TStream* Stream = nullptr;  // the module while it is being read
    uint8_t BlockTag[4]{};      // tag of the block being read
    // Records of the last sample information block, held by the running load
    // until the sample data block has used them; null outside a load.
    std::vector<TSampleRecord>* SampleRecords = nullptr;
    bool SampleInfoRead = false;  // this load has met a sample information block
    void ReadHeader();
    // Skips a block by its length field; false for a negative length, which ends the block walk.
    bool SkipUnknownBlock();
    void ReadMessage();
    void ReadSequence();
    void ReadPatterns();
    void ReadSampleInfo();
    // These three may skip their block by its length: false when that ends the walk.
    bool ReadSampleData();
    bool SkipSampleData();
    bool ReadCuePoints();
};
