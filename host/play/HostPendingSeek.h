#pragma once
// Seeks asked for by keys faster than the plug-in carries them out: the
// plug-in's position moves only once its player thread has sought (never
// while paused), so each step counts from the target still pending, and the
// target is what the position shows until the output's flush says the seek
// was done there.

#include "host/play/HostFlushMark.h"

class TPendingSeek {
public:
    // The target of a step of StepMs from PositionMs, or from the target still
    // pending; within 0 .. LengthMs (no upper bound for a negative length).
    // It is pending from now on, LastFlush being the output's flush before it.
    int Step(int StepMs, int PositionMs, int LengthMs, TFlushMark LastFlush);
    // The target while the seek to it has not been done: it is done once the
    // output was flushed after the target was set, at the target or within
    // one render step (at most 2.5 s) after it. -1 when none is pending.
    int Target(TFlushMark LastFlush);
    void Clear() { Pending = -1; }

private:
    int Pending = -1;
    int64_t FlushesBefore = 0;
};
