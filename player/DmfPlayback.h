#pragma once
// The playback pass every player of a song runs: render steps of the tick
// length current at each step's start, the play position in song time, and
// the seek (a target behind the position restarts the song; then whole ticks
// are skipped, nothing mixed, until the position reaches the target).
//
// Song time is counted at 44100 Hz whatever the song's rate (DmfSongTime.h):
// the position, the length, a seek's target and landing are the same at every
// rate. What a step hands out is output bytes at the song's rate: the output
// frames between its start's and its end's song time, so that the position
// after each whole step is exact song time, and the pass hands out the song's
// whole length at the rate, no more and no less: after the tick that ends the
// song, what the song still holds mixed goes out as one last, shorter step.
// Built only from the song's own operations, each of which takes the song's
// lock itself.

#include <atomic>
#include <cstdint>

#include "player/DmfLimits.h"

class TDmf;

class TDmfPlayback {
public:
    // A pass over a song as it stands: one its driver has just started
    // plays from the start to the length it was measured with, at the rate
    // its settings hold (which stays while it plays).
    explicit TDmfPlayback(TDmf& Song);

    // The song from its start, the position at 0, at the rate its settings
    // hold now. A song that was never measured (one made in memory) is
    // measured first: its length is where the pass ends.
    void Start();
    // Song time of the song remains to be handed out.
    bool Playing() const { return Position < End; }
    // Song time of what has been rendered or skipped so far: exact after
    // each whole step and after a seek; in between, the step's share.
    double PositionMs() const { return BytesToMs(Position); }
    int64_t PositionBytes() const { return Position; }
    // The output bytes of the whole song at its rate: what the pass hands out
    // from Start to its end.
    int64_t LengthOutputBytes() const;
    // The output bytes of the next render step: the tick length current now
    // (or what is left of the song when that is less) at the song's rate, or
    // what is left of a step partly handed out; 0 at the song's end.
    int32_t StepBytes() const;
    // Renders Count output bytes (0 <= Count <= MaxTickBytesAt(rate)) into
    // Dest and moves the position on step by step: in any portions the same
    // stream and, at each step's end, the same position. A step whose output
    // is empty (a sliver of song time at a low rate) ends in a call of any
    // count. Past the song's end the song renders on and the position stays.
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
    // The output bytes of the song's first SongBytes of song time.
    int64_t OutputBytesAt(int64_t SongBytes) const;
    // Where a step begun now ends in song time.
    int64_t NextStepEnd() const;

    TDmf& Song;
    // Song time (bytes at 44100 Hz) handed out or skipped since Start.
    int64_t Position = 0;
    // The step under way: its start and end in song time (equal between steps).
    int64_t StepStart = 0;
    int64_t StepEnd = 0;
    // Output bytes from the song's start to the last one handed out (a
    // seek's landing counts the output before it as handed).
    int64_t Handed = 0;
    int64_t End = 0;  // the song's length in song time
    int32_t Rate;     // the song's output rate
};
