#pragma once
// The playback pass every player of a song runs: render steps of the tick
// length current at each step's start, the play position in song time, and
// the seek (a target behind the position restarts the song; then whole ticks
// are skipped, nothing mixed, until the position reaches the target).
//
// The pass hands out the song's whole length, no more and no less: after the
// tick that ends the song, what the song still holds mixed goes out as one
// last, shorter step. Built only from the song's own operations, each of
// which takes the song's lock itself.

#include <atomic>
#include <cstdint>

#include "player/DmfLimits.h"

class TDmf;

class TDmfPlayback {
public:
    // A pass over a song as it stands: one its driver has just started
    // plays from the start to the length it was measured with.
    explicit TDmfPlayback(TDmf& Song);

    // The song from its start, the position at 0. A song that was never
    // measured (one made in memory) is measured first: its length is where
    // the pass ends.
    void Start();
    // Bytes of the song remain to be handed out.
    bool Playing() const { return Position < End; }
    // Song time of what has been rendered or skipped so far.
    double PositionMs() const { return BytesToMs(Position); }
    int64_t PositionBytes() const { return Position; }
    // The bytes the pass hands out in all from its start: the song's length.
    int64_t LengthBytes() const { return End; }
    // The bytes of the next render step: the tick length current now, or
    // what is left of the song when that is less (0 at its end).
    int32_t StepBytes() const;
    // Renders Count bytes (0 < Count <= MaxTickBytes) into Dest and moves
    // the position on by their song time.
    void Render(void* Dest, int32_t Count);
    // Moves to TargetMs: ends at the end of the first tick at or after it, or
    // at the song's end (a target past it). What the song had mixed ahead is
    // dropped, so the next step is the song from there; the voices stand
    // where playing through would have left them. Cancel, when given and
    // set, ends the skipping where it is.
    void Seek(double TargetMs, const std::atomic<bool>* Cancel = nullptr);

    static double BytesToMs(int64_t Bytes) { return static_cast<double>(Bytes) / OutputBytesPerMs; }
    // Exact for whole milliseconds: a target on a tick's end compares equal to it.
    static double MsToBytes(double Ms) { return Ms * OutputBytesPerSecond / 1000.0; }

private:
    TDmf& Song;
    int64_t Position = 0;  // bytes of song time handed out or skipped since Start
    int64_t End = 0;       // the song's length in bytes
};
