#include "host/play/HostPulseOutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "host/play/HostSoftwareGain.h"

namespace {

// How long a server may take to let the program in, and to set a stream up.
constexpr int ConnectTimeoutMs = 2000;
constexpr int StreamTimeoutMs = 2000;
// The stream's buffer on the server, and what it holds before it starts.
constexpr int BufferMs = 1000;
constexpr int StartMs = 50;
// Once less than this is left to hear, IsPlaying waits for the end itself: a
// caller looks again only after a while (the plug-in every 50 ms), and the
// next song is to start right after the last sound.
constexpr int EndWaitMs = 60;
// How often a wait for the end looks at the clock.
constexpr int EndSliceMs = 2;

// The loop's lock, held for a scope.
class TLoopLock {
public:
    explicit TLoopLock(pa_threaded_mainloop* Loop) : Loop(Loop) { pa_threaded_mainloop_lock(Loop); }
    ~TLoopLock() { pa_threaded_mainloop_unlock(Loop); }
    TLoopLock(const TLoopLock&) = delete;
    TLoopLock& operator=(const TLoopLock&) = delete;

private:
    pa_threaded_mainloop* Loop;
};

void WakeLoop(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* Loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(Loop), 0);
}

std::string ServerError(pa_context* Context)
{
    return Context ? pa_strerror(pa_context_errno(Context)) : "no connection";
}

}  // namespace

TPulseOutput::TPulseOutput(std::string Sink) : Sink(std::move(Sink))
{
    Loop = pa_threaded_mainloop_new();
    if (Loop && pa_threaded_mainloop_start(Loop) < 0) {
        pa_threaded_mainloop_free(Loop);
        Loop = nullptr;
    }
}

TPulseOutput::~TPulseOutput()
{
    if (!Loop) {
        return;
    }
    {
        TLoopLock lock(Loop);
        Disconnect();
    }
    pa_threaded_mainloop_stop(Loop);
    pa_threaded_mainloop_free(Loop);
}

bool TPulseOutput::ServerAnswers(int TimeoutMs)
{
    TPulseOutput probe("");
    if (!probe.Loop) {
        return false;
    }
    TLoopLock lock(probe.Loop);
    return probe.Connect(TimeoutMs);
}

template <class TDone> bool TPulseOutput::WaitFor(TDone Done, int TimeoutMs, int SliceMs)
{
    const pa_usec_t deadline = pa_rtclock_now() + static_cast<pa_usec_t>(TimeoutMs) * PA_USEC_PER_MSEC;
    while (!Done()) {
        const pa_usec_t now = pa_rtclock_now();
        if (now >= deadline || !Context) {
            return false;
        }
        const pa_usec_t wake = std::min(deadline, now + static_cast<pa_usec_t>(SliceMs) * PA_USEC_PER_MSEC);
        pa_time_event* timer = pa_context_rttime_new(Context, wake, &WakeLoop, Loop);
        pa_threaded_mainloop_wait(Loop);
        pa_threaded_mainloop_get_api(Loop)->time_free(timer);
    }
    return true;
}

bool TPulseOutput::Connect(int TimeoutMs)
{
    if (Context && pa_context_get_state(Context) == PA_CONTEXT_READY) {
        return true;
    }
    Disconnect();
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Morvel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_VERSION, MORVEL_VERSION);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "audio-x-generic");
    Context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(Loop), "Morvel", properties);
    pa_proplist_free(properties);
    if (!Context) {
        Error = "cannot make a PulseAudio connection";
        return false;
    }
    pa_context_set_state_callback(Context, &OnContextState, this);
    // No server started for the purpose: one that runs answers, or none does.
    if (pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        Error = "cannot reach the PulseAudio server: " + ServerError(Context);
        Disconnect();
        return false;
    }
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(Context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    WaitFor(settled, TimeoutMs, TimeoutMs);
    if (pa_context_get_state(Context) != PA_CONTEXT_READY) {
        Error = "the PulseAudio server does not answer: " + ServerError(Context);
        Disconnect();
        return false;
    }
    return true;
}

void TPulseOutput::Disconnect()
{
    CloseStream();
    if (Context) {
        pa_context_set_state_callback(Context, nullptr, nullptr);
        pa_context_disconnect(Context);
        pa_context_unref(Context);
        Context = nullptr;
    }
}

int TPulseOutput::Open(int Rate, int Channels, int BitsPerSample, int, int)
{
    if (!Loop) {
        Error = "cannot start PulseAudio's main loop";
        return -1;
    }
    TLoopLock lock(Loop);
    CloseStream();
    Error.clear();
    Failed = false;
    if (BitsPerSample != 16 || Channels < 1 || Channels > static_cast<int>(PA_CHANNELS_MAX) || Rate < 1000 ||
        Rate > static_cast<int>(PA_RATE_MAX)) {
        Error = "the PulseAudio output is not opened for " + std::to_string(Rate) + " Hz, " + std::to_string(Channels) +
                " channels, " + std::to_string(BitsPerSample) + " bits";
        return -1;
    }
    if (!Connect(ConnectTimeoutMs)) {
        return -1;
    }
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, static_cast<uint32_t>(Rate), static_cast<uint8_t>(Channels)};
    // The desktop's volume control lists the stream under the program by the song's title.
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, Title.c_str());
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    Stream = pa_stream_new_with_proplist(Context, Title.c_str(), &spec, nullptr, properties);
    pa_proplist_free(properties);
    if (!Stream) {
        Error = "cannot make a PulseAudio stream: " + ServerError(Context);
        return -1;
    }
    pa_stream_set_state_callback(Stream, &OnStreamState, this);
    pa_buffer_attr buffer;
    buffer.maxlength = UINT32_MAX;
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(BufferMs * PA_USEC_PER_MSEC, &spec));
    buffer.prebuf = static_cast<uint32_t>(pa_usec_to_bytes(StartMs * PA_USEC_PER_MSEC, &spec));
    buffer.minreq = UINT32_MAX;
    buffer.fragsize = UINT32_MAX;
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    const char* sink = Sink.empty() ? nullptr : Sink.c_str();
    const auto settled = [this] {
        const pa_stream_state_t state = pa_stream_get_state(Stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    };
    if (pa_stream_connect_playback(Stream, sink, &buffer, flags, nullptr, nullptr) < 0 ||
        !WaitFor(settled, StreamTimeoutMs, StreamTimeoutMs) || pa_stream_get_state(Stream) != PA_STREAM_READY) {
        Error = "cannot play on the PulseAudio server" + (Sink.empty() ? "" : " (sink \"" + Sink + "\")") + ": " +
                ServerError(Context);
        CloseStream();
        return -1;
    }
    this->Rate = Rate;
    FrameBytes = Channels * 2;
    Clocks.Open(Rate, FrameBytes);
    FlushBaseUs = 0;
    BaseKnown = true;
    return BufferMs;
}

void TPulseOutput::CloseStream()
{
    ForgetOperation(Drain);
    DrainAsked = false;
    LastFrameHeardUs = INT64_MAX;
    if (Stream) {
        pa_stream_set_state_callback(Stream, nullptr, nullptr);
        pa_stream_disconnect(Stream);
        pa_stream_unref(Stream);
        Stream = nullptr;
    }
    Paused = false;
    Dropping = false;
    PendingBases = 0;
}

void TPulseOutput::Close()
{
    if (Loop) {
        TLoopLock lock(Loop);
        CloseStream();
    }
}

int TPulseOutput::Write(const char* Bytes, int Count)
{
    if (!Loop || Count <= 0) {
        return 0;
    }
    TLoopLock lock(Loop);
    Clocks.Wrote(Count);
    // Without a working stream the audio is let go at once, so a writer waiting for room goes on.
    if (!Stream || Failed || Dropping) {
        return 0;
    }
    ForgetOperation(Drain);
    DrainAsked = false;
    LastFrameHeardUs = INT64_MAX;
    const size_t bytes = static_cast<size_t>(Count - Count % FrameBytes);
    const void* data = Bytes;
    if (Volume != 255 || Pan != 0) {
        Scaled.resize(bytes / 2);
        std::memcpy(Scaled.data(), Bytes, bytes);
        ApplySoftwareGain(Scaled.data(), static_cast<long>(bytes) / FrameBytes, FrameBytes / 2, Volume, Pan);
        data = Scaled.data();
    }
    if (bytes > 0 && pa_stream_write(Stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        Fail("the PulseAudio stream takes no more audio: " + ServerError(Context));
    }
    return 0;
}

int TPulseOutput::CanWrite()
{
    if (!Loop) {
        return 0;
    }
    TLoopLock lock(Loop);
    // A stream that failed takes nothing more: the writer waits until the
    // host, told by LastError, stops the song.
    if (Paused || !Stream || Failed) {
        return 0;
    }
    const size_t room = pa_stream_writable_size(Stream);
    return room == static_cast<size_t>(-1) ? 0 : static_cast<int>(std::min<size_t>(room, INT_MAX));
}

int TPulseOutput::IsPlaying()
{
    if (!Loop) {
        return 0;
    }
    TLoopLock lock(Loop);
    if (!Stream || Failed || Dropping || Clocks.Written() == 0) {
        return 0;
    }
    // The server is to play what it holds to its end, however short (it
    // starts a stream only once it holds a little).
    if (!DrainAsked) {
        ForgetOperation(Drain);
        Drain = pa_stream_drain(Stream, &OnDrained, this);
        DrainAsked = true;
    }
    if (Paused) {
        LastFrameHeardUs = INT64_MAX;
        return 1;
    }
    // The server's clock tells when the last frame written is heard. Once the
    // stream has run dry that clock stands still, and a later reading would
    // put the end later: the earliest reading holds. (The server's word that
    // it drained the stream comes when the sink holds the frames, which may
    // be long before they are heard.)
    const int64_t now = static_cast<int64_t>(pa_rtclock_now());
    const int64_t left = Clocks.Written() - HeardBytes();
    LastFrameHeardUs = std::min(LastFrameHeardUs, now + Clocks.MsOf(left) * static_cast<int64_t>(PA_USEC_PER_MSEC));
    if (LastFrameHeardUs - now > EndWaitMs * static_cast<int64_t>(PA_USEC_PER_MSEC)) {
        return 1;
    }
    const auto ended = [this] {
        return Failed || !Stream || static_cast<int64_t>(pa_rtclock_now()) >= LastFrameHeardUs;
    };
    return WaitFor(ended, EndWaitMs + EndSliceMs, EndSliceMs) ? 0 : 1;
}

int TPulseOutput::Pause(int Pause)
{
    if (!Loop) {
        return 0;
    }
    TLoopLock lock(Loop);
    const bool previous = Paused;
    Paused = Pause != 0;
    LastFrameHeardUs = INT64_MAX;
    if (Paused != previous && Stream && !Failed) {
        if (pa_operation* cork = pa_stream_cork(Stream, Paused ? 1 : 0, nullptr, nullptr)) {
            pa_operation_unref(cork);
        }
    }
    return previous ? 1 : 0;
}

void TPulseOutput::SetVolume(int Volume)
{
    if (Volume == -666 || !Loop) {
        return;
    }
    TLoopLock lock(Loop);
    this->Volume = std::clamp(Volume, 0, 255);
}

void TPulseOutput::SetPan(int Pan)
{
    if (!Loop) {
        return;
    }
    TLoopLock lock(Loop);
    this->Pan = std::clamp(Pan, -128, 128);
}

void TPulseOutput::Flush(int TimeMs)
{
    if (!Loop) {
        return;
    }
    TLoopLock lock(Loop);
    DropQueued();
    Dropping = false;
    Clocks.Flushed(TimeMs);
}

void TPulseOutput::DropUntilFlush()
{
    if (!Loop) {
        return;
    }
    TLoopLock lock(Loop);
    DropQueued();
    Dropping = true;
}

void TPulseOutput::DropQueued()
{
    ForgetOperation(Drain);
    DrainAsked = false;
    LastFrameHeardUs = INT64_MAX;
    if (!Stream || Failed) {
        return;
    }
    if (pa_operation* flush = pa_stream_flush(Stream, nullptr, nullptr)) {
        pa_operation_unref(flush);
    }
    // The flush moved the write position back to where the server reads:
    // what is written next plays from there. The server tells where that is.
    if (pa_operation* timing = pa_stream_update_timing_info(Stream, &OnFlushTiming, this)) {
        pa_operation_unref(timing);
        ++PendingBases;
        BaseKnown = false;
    }
}

int TPulseOutput::GetOutputTime()
{
    if (!Loop) {
        return 0;
    }
    TLoopLock lock(Loop);
    // A stream that failed stands where it was heard last.
    return Clocks.HeardMs(Failed ? HeardWhenFailed : HeardBytes());
}

int TPulseOutput::GetWrittenTime()
{
    if (!Loop) {
        return 0;
    }
    TLoopLock lock(Loop);
    return Clocks.WrittenMs();
}

std::string TPulseOutput::LastError()
{
    if (!Loop) {
        return "cannot start PulseAudio's main loop";
    }
    TLoopLock lock(Loop);
    return Error;
}

TFlushMark TPulseOutput::LastFlush()
{
    if (!Loop) {
        return {};
    }
    TLoopLock lock(Loop);
    return Clocks.Flushes();
}

void TPulseOutput::SetStreamTitle(const std::string& Title)
{
    if (!Loop) {
        return;
    }
    TLoopLock lock(Loop);
    this->Title = Title.empty() ? "Morvel" : Title;
}

int64_t TPulseOutput::HeardBytes()
{
    pa_usec_t time = 0;
    if (!Stream || !BaseKnown || pa_stream_get_time(Stream, &time) < 0 || time <= FlushBaseUs) {
        return 0;
    }
    return static_cast<int64_t>(pa_usec_to_bytes(time - FlushBaseUs, pa_stream_get_sample_spec(Stream)));
}

void TPulseOutput::Fail(const std::string& What)
{
    if (!Failed) {
        HeardWhenFailed = HeardBytes();
        Failed = true;
        Error = What;
    }
    ForgetOperation(Drain);
}

void TPulseOutput::ForgetOperation(pa_operation*& Operation)
{
    if (Operation) {
        pa_operation_cancel(Operation);
        pa_operation_unref(Operation);
        Operation = nullptr;
    }
}

void TPulseOutput::OnContextState(pa_context* Context, void* Self)
{
    auto* self = static_cast<TPulseOutput*>(Self);
    const pa_context_state_t state = pa_context_get_state(Context);
    if ((state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) && self->Stream) {
        self->Fail("the PulseAudio server went away: " + ServerError(Context));
    }
    pa_threaded_mainloop_signal(self->Loop, 0);
}

void TPulseOutput::OnStreamState(pa_stream* Stream, void* Self)
{
    auto* self = static_cast<TPulseOutput*>(Self);
    if (pa_stream_get_state(Stream) == PA_STREAM_FAILED) {
        self->Fail("the PulseAudio stream failed: " + ServerError(self->Context));
    }
    pa_threaded_mainloop_signal(self->Loop, 0);
}

void TPulseOutput::OnDrained(pa_stream*, int, void* Self)
{
    auto* self = static_cast<TPulseOutput*>(Self);
    if (self->Drain) {
        pa_operation_unref(self->Drain);
        self->Drain = nullptr;
    }
}

void TPulseOutput::OnFlushTiming(pa_stream* Stream, int Success, void* Self)
{
    auto* self = static_cast<TPulseOutput*>(Self);
    const pa_timing_info* timing = pa_stream_get_timing_info(Stream);
    // The flush set the write position to the read position, which then
    // waits for the stream to fill again: what is written next plays from there.
    if (Success && timing && !timing->read_index_corrupt) {
        self->FlushBaseUs =
            pa_bytes_to_usec(static_cast<uint64_t>(timing->read_index), pa_stream_get_sample_spec(Stream));
    }
    if (self->PendingBases > 0 && --self->PendingBases == 0) {
        self->BaseKnown = true;
    }
    pa_threaded_mainloop_signal(self->Loop, 0);
}
