#pragma once
// morvel play's output on a PulseAudio server (PulseAudio itself, or
// PipeWire's PulseAudio server) through its client library: one playback
// stream a song, named after it, on the server's own clock. What has been
// heard is the stream's timing (its read position less the sink's latency),
// not a delay the device reports; the end of a song is the server's drain;
// pause corks the stream and a seek flushes it. Every wait on the server is
// bounded: a server that goes away fails the output (LastError), never hangs
// it. The library's main loop runs on a thread of its own; one lock (the
// loop's) guards the library's objects and this object's state.

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "host/play/HostOutput.h"
#include "host/play/HostOutputClocks.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_operation;

class TPulseOutput : public THostOutput {
public:
    // Sink: the name of the server's sink to play on; empty: the server's default.
    explicit TPulseOutput(std::string Sink);
    ~TPulseOutput() override;
    TPulseOutput(const TPulseOutput&) = delete;
    TPulseOutput& operator=(const TPulseOutput&) = delete;

    int Open(int Rate, int Channels, int BitsPerSample, int BufferMs, int PrebufferMs) override;
    void Close() override;
    int Write(const char* Bytes, int Count) override;
    int CanWrite() override;
    // 1 until the last frame written has been heard, by the server's clock
    // (the server asked to drain the stream: it plays what it holds to the
    // end, however short). When that is near, waits for it (a little longer
    // than a caller's look again), so that the next song starts right after
    // the last sound.
    int IsPlaying() override;
    int Pause(int Paused) override;
    void SetVolume(int Volume) override;
    void SetPan(int Pan) override;
    void Flush(int TimeMs) override;
    int GetOutputTime() override;
    int GetWrittenTime() override;
    std::string LastError() override;
    TFlushMark LastFlush() override;
    void DropUntilFlush() override;
    void SetStreamTitle(const std::string& Title) override;

    // True when a PulseAudio server answers a connection within TimeoutMs.
    static bool ServerAnswers(int TimeoutMs);

private:
    // The rest need the loop locked.
    bool Connect(int TimeoutMs);
    void Disconnect();
    void CloseStream();
    // Waits, unlocking the loop meanwhile, until Done() or TimeoutMs have
    // passed; looks again at least every SliceMs. Done()'s answer.
    template <class TDone> bool WaitFor(TDone Done, int TimeoutMs, int SliceMs);
    // Bytes of what was written since the last flush that have been heard.
    int64_t HeardBytes();
    // The stream or the server failed: the output drops what comes.
    void Fail(const std::string& What);
    void DropQueued();
    void ForgetOperation(pa_operation*& Operation);

    // The library's callbacks, on the loop's thread with the loop locked.
    static void OnContextState(pa_context* Context, void* Self);
    static void OnStreamState(pa_stream* Stream, void* Self);
    static void OnDrained(pa_stream* Stream, int Success, void* Self);
    static void OnFlushTiming(pa_stream* Stream, int Success, void* Self);

    const std::string Sink;
    pa_threaded_mainloop* Loop = nullptr;
    pa_context* Context = nullptr;
    pa_stream* Stream = nullptr;
    std::string Title = "Morvel";
    std::string Error;
    bool Failed = false;          // the stream or the server gave up: audio is dropped as it comes
    int64_t HeardWhenFailed = 0;  // bytes heard since the last flush when it did
    bool Paused = false;
    bool Dropping = false;          // audio is dropped as it comes until the next Flush
    pa_operation* Drain = nullptr;  // the drain under way, if any
    bool DrainAsked = false;        // since the last write
    // When the last frame written is heard, by the earliest reading of the
    // server's clock since it was written (the library's clock, us).
    int64_t LastFrameHeardUs = INT64_MAX;
    // The stream's time (us) at the write position the last flush left:
    // what was written since plays from there. Unknown until the server says.
    uint64_t FlushBaseUs = 0;
    bool BaseKnown = true;
    int PendingBases = 0;  // flushes whose position the server has not told yet
    int Rate = 0;
    int FrameBytes = 0;
    int Volume = 255;
    int Pan = 0;
    std::vector<int16_t> Scaled;  // the written PCM with the volume and balance applied
    TOutputClocks Clocks;
};
