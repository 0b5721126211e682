#pragma once
// The two clocks an output reports to the plug-in, in milliseconds from the
// time the last Flush set: what was written since, and what of it was heard,
// which never goes back between two flushes however an output's measure of
// it wavers. Also the marks of the flushes so far. Not locked: the output's
// own lock guards it.

#include <cstdint>

#include "host/play/HostFlushMark.h"
#include "player/DmfOutputFormat.h"

class TOutputClocks {
public:
    // An output opened for Rate frames of FrameBytes a second: both clocks at 0.
    void Open(int Rate, int FrameBytes);
    void Wrote(int64_t Bytes) { WrittenBytes += Bytes; }
    // Both clocks go on from TimeMs; nothing was written since.
    void Flushed(int TimeMs);

    int64_t Written() const { return WrittenBytes; }
    int WrittenMs() const { return FlushMs + MsOf(WrittenBytes); }
    // The output time once Heard bytes of what was written since the flush
    // have been heard (at most what was written; never less than before).
    int HeardMs(int64_t Heard);
    TFlushMark Flushes() const { return Marks; }
    int MsOf(int64_t Bytes) const { return static_cast<int>(Bytes * 1000 / BytesPerSecond); }
    int64_t BytesOf(int64_t Ms) const { return Ms * BytesPerSecond / 1000; }

private:
    int64_t BytesPerSecond = OutputBytesPerSecond;
    int FlushMs = 0;           // the clocks' time at the last Flush (0 after Open)
    int64_t WrittenBytes = 0;  // written since the last Flush
    int LastHeardMs = 0;       // the output time reported last
    TFlushMark Marks;
};
