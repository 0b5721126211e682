#pragma once
// What every output of morvel play is: the operations of Out_Module, through
// which the plug-in drives it (bound by plugin/sdk/OutModuleBinding.h), and
// what the playlist asks of it beside them: why it failed, the mark of its
// last flush, and the title of the song it is to play. One class of these
// methods is one output; HostOutputs.h lists them by name.

#include <string>

#include "host/play/HostFlushMark.h"

class THostOutput {
public:
    virtual ~THostOutput() = default;

    // ---- Out_Module's operations; any thread may call them ---------------
    // Opens the output for interleaved PCM; returns its latency in ms,
    // negative on failure (LastError says why). The buffer arguments are
    // hints an output may do without.
    virtual int Open(int Rate, int Channels, int BitsPerSample, int BufferMs, int PrebufferMs) = 0;
    // Stops at once; what is queued is dropped.
    virtual void Close() = 0;
    // Queues the bytes (all of them, also beyond CanWrite); 0.
    virtual int Write(const char* Bytes, int Count) = 0;
    // Bytes that may be written now; 0 while paused.
    virtual int CanWrite() = 0;
    // 1 while queued audio has not been heard yet.
    virtual int IsPlaying() = 0;
    // 1 pauses, 0 resumes; returns the previous state.
    virtual int Pause(int Paused) = 0;
    // 0..255; -666 keeps the volume.
    virtual void SetVolume(int Volume) = 0;
    // -128 (left only) .. 128 (right only).
    virtual void SetPan(int Pan) = 0;
    // Drops what is queued; both clocks go on from TimeMs.
    virtual void Flush(int TimeMs) = 0;
    // Milliseconds heard, counted from the last Flush time; never back between two flushes.
    virtual int GetOutputTime() = 0;
    // Milliseconds written, counted from the last Flush time.
    virtual int GetWrittenTime() = 0;

    // ---- What the playlist asks besides ----------------------------------
    // Why the last Open failed, or why the output stopped playing; empty when neither.
    virtual std::string LastError() = 0;
    // How many times Flush was called since the output was made, and the time
    // of the last one: a host sees from it that a seek it asked for is done.
    virtual TFlushMark LastFlush() = 0;
    // Drops what is queued, and what is written from now until the next
    // Flush: audio from before a seek that the host asked for and the writer
    // has not carried out yet, which no one should hear. It counts as played.
    virtual void DropUntilFlush() = 0;
    // The title (UTF-8) of the song the next Open is for, where the output
    // shows one (a sound server's list of streams).
    virtual void SetStreamTitle(const std::string& Title) { (void)Title; }
};
