#pragma once
// The playback pass every player of a song runs: render steps of the tick
// length current at each step's start, the play position in ms of song time,
// and the seek (a target behind the position restarts the song; then whole
// ticks are skipped, nothing mixed, until the position reaches the target).
// Built only from the song's own operations, each of which takes the song's
// lock itself.

#include <atomic>
#include <cstdint>

#include "player/DmfLimits.h"

class TDmf;

class TDmfPlayback {
public:
    explicit TDmfPlayback(TDmf& Song) : Song(Song) { }

    // The song from its start, the position at 0.
    void Start();
    bool Playing() const;
    // Song time of what has been rendered or skipped so far.
    double PositionMs() const { return Position; }
    // The bytes of the next render step: the tick length current now.
    int32_t StepBytes() const;
    // Renders Count bytes (0 < Count <= MaxBlockBytes) into Dest and moves
    // the position on by their song time.
    void Render(void* Dest, int32_t Count);
    // One render step into Dest (room for MaxBlockBytes); its byte count.
    int32_t RenderStep(void* Dest);
    // Moves to TargetMs: ends at the end of the first tick at or after it, or
    // where the song stops by itself (a target past its end). Cancel, when
    // given and set, ends the skipping where it is.
    void Seek(double TargetMs, const std::atomic<bool>* Cancel = nullptr);

    static double BytesToMs(int32_t Bytes) { return Bytes / OutputBytesPerMs; }

private:
    TDmf& Song;
    double Position = 0.0;
};

// The bytes a player hands out for the whole song: render steps of the
// BlockBytes current at each step's start, until the song stops by itself
// (the plug-in plays exactly this).
// Counted by a run of the sequencer that mixes nothing; the song is then back
// at its start, as it was after loading. An endless song is cut where its
// measured length was: at the 32-bit byte total.
uint64_t PlayedBytes(TDmf& Song);
