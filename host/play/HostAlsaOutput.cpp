#include "host/play/HostAlsaOutput.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "host/play/HostSoftwareGain.h"

namespace {

// Seconds of audio the ring holds before CanWrite reaches 0.
constexpr int RingSeconds = 2;
// The device's own buffer; the ring in front of it carries the rest.
constexpr unsigned DeviceLatencyUs = 150000;
// How long the feeder sleeps at most before it looks again.
constexpr int FeederPollMs = 50;

TDeviceClock::TTime Now()
{
    return std::chrono::steady_clock::now();
}

// ALSA prints its own diagnostics to standard error; the host reports failures itself.
void QuietAlsaError(const char*, int, const char*, int, const char*, ...)
{
}

}  // namespace

TAlsaOutput::TAlsaOutput(std::string Device) : Device(std::move(Device))
{
}

TAlsaOutput::~TAlsaOutput()
{
    Close();
}

int TAlsaOutput::Open(int Rate, int Channels, int BitsPerSample, int, int)
{
    Close();
    snd_lib_error_set_handler(&QuietAlsaError);
    std::lock_guard<std::mutex> lock(Mutex);
    Error.clear();
    if (BitsPerSample != 16 || Channels < 1 || Channels > 8 || Rate < 1000 || Rate > 384000) {
        Error = "the audio device \"" + Device + "\" is not opened for " + std::to_string(Rate) + " Hz, " +
                std::to_string(Channels) + " channels, " + std::to_string(BitsPerSample) + " bits";
        return -1;
    }
    snd_pcm_t* pcm = nullptr;
    int result = snd_pcm_open(&pcm, Device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (result == 0) {
        result = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                    static_cast<unsigned>(Channels), static_cast<unsigned>(Rate), 1, DeviceLatencyUs);
        if (result < 0) {
            snd_pcm_close(pcm);
        }
    }
    if (result < 0) {
        Error = "cannot open the audio device \"" + Device + "\": " + snd_strerror(result);
        return -1;
    }
    snd_pcm_uframes_t bufferFrames = 0;
    snd_pcm_uframes_t periodFrames = 0;
    snd_pcm_get_params(pcm, &bufferFrames, &periodFrames);
    snd_pcm_hw_params_t* hardware = nullptr;
    CanPauseDevice = false;
    if (snd_pcm_hw_params_malloc(&hardware) == 0) {
        CanPauseDevice = snd_pcm_hw_params_current(pcm, hardware) == 0 && snd_pcm_hw_params_can_pause(hardware) == 1;
        snd_pcm_hw_params_free(hardware);
    }

    Pcm = pcm;
    this->Rate = Rate;
    this->Channels = Channels;
    FrameBytes = 2 * Channels;
    RingLimit = static_cast<size_t>(Rate) * FrameBytes * RingSeconds;
    Ring = TByteRing(RingLimit);
    BufferFrames = static_cast<int64_t>(bufferFrames);
    Chunk.assign(std::max<size_t>(periodFrames, 1024) * Channels, 0);
    LatencyMs = RingSeconds * 1000 + static_cast<int>(bufferFrames * 1000 / Rate);
    Paused = DevicePaused = Failed = StopFeeder = Dropping = false;
    Clock = TDeviceClock(Rate);
    Clocks.Open(Rate, FrameBytes);
    Feeder = std::thread(&TAlsaOutput::Feed, this);
    return LatencyMs;
}

void TAlsaOutput::Close()
{
    std::unique_lock<std::mutex> lock(Mutex);
    if (!Pcm) {
        return;
    }
    StopFeeder = true;
    Wake.notify_all();
    lock.unlock();
    Feeder.join();
    lock.lock();
    snd_pcm_drop(Pcm);
    snd_pcm_close(Pcm);
    Pcm = nullptr;
    Ring.Clear();
    Clock.Reset();
    Paused = DevicePaused = false;
}

int TAlsaOutput::Write(const char* Bytes, int Count)
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Count <= 0) {
        return 0;
    }
    Clocks.Wrote(Count);
    // Without a working device the audio is let go at once, so a writer waiting for room goes on.
    if (Pcm && !Failed && !Dropping) {
        Ring.Push(Bytes, static_cast<size_t>(Count));
        Wake.notify_all();
    }
    return 0;
}

int TAlsaOutput::CanWrite()
{
    std::lock_guard<std::mutex> lock(Mutex);
    if (Paused) {
        return 0;
    }
    return Ring.Size() >= RingLimit ? 0 : static_cast<int>(RingLimit - Ring.Size());
}

int TAlsaOutput::IsPlaying()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return PendingBytes() > 0 ? 1 : 0;
}

int TAlsaOutput::Pause(int Pause)
{
    std::lock_guard<std::mutex> lock(Mutex);
    const bool previous = Paused;
    const bool pause = Pause != 0;
    if (pause == previous) {
        return previous ? 1 : 0;
    }
    Paused = pause;
    if (Pcm && !Failed) {
        // A device that cannot pause plays out what it holds: its clock runs on.
        if (pause && CanPauseDevice && snd_pcm_state(Pcm) == SND_PCM_STATE_RUNNING) {
            DevicePaused = snd_pcm_pause(Pcm, 1) == 0;
            if (DevicePaused) {
                Clock.Stop(Now());
            }
        }
        if (!pause && DevicePaused) {
            // A device that will not resume starts over empty rather than stay silent.
            if (snd_pcm_state(Pcm) == SND_PCM_STATE_PAUSED && snd_pcm_pause(Pcm, 0) < 0) {
                snd_pcm_drop(Pcm);
                snd_pcm_prepare(Pcm);
                Clock.Reset();
            } else {
                Clock.Start(Now());
            }
            DevicePaused = false;
        }
    }
    Wake.notify_all();
    return previous ? 1 : 0;
}

void TAlsaOutput::SetVolume(int Volume)
{
    if (Volume == -666) {
        return;
    }
    std::lock_guard<std::mutex> lock(Mutex);
    this->Volume = std::clamp(Volume, 0, 255);
}

void TAlsaOutput::SetPan(int Pan)
{
    std::lock_guard<std::mutex> lock(Mutex);
    this->Pan = std::clamp(Pan, -128, 128);
}

void TAlsaOutput::Flush(int TimeMs)
{
    std::lock_guard<std::mutex> lock(Mutex);
    DropHeld();
    Dropping = false;
    Clocks.Flushed(TimeMs);
}

void TAlsaOutput::DropUntilFlush()
{
    std::lock_guard<std::mutex> lock(Mutex);
    DropHeld();
    Dropping = true;
}

void TAlsaOutput::DropHeld()
{
    Ring.Clear();
    if (Pcm && !Failed) {
        snd_pcm_drop(Pcm);
        snd_pcm_prepare(Pcm);
        DevicePaused = false;
    }
    Clock.Reset();
}

int TAlsaOutput::GetOutputTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    // A device's delay wavers; what has been heard stays heard.
    return Clocks.HeardMs(Clocks.Written() - PendingBytes());
}

int TAlsaOutput::GetWrittenTime()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Clocks.WrittenMs();
}

bool TAlsaOutput::IsOpen()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Pcm != nullptr;
}

std::string TAlsaOutput::LastError()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Error;
}

int TAlsaOutput::QueuedBytes()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return static_cast<int>(Ring.Size());
}

TFlushMark TAlsaOutput::LastFlush()
{
    std::lock_guard<std::mutex> lock(Mutex);
    return Clocks.Flushes();
}

int64_t TAlsaOutput::PendingBytes()
{
    if (!Pcm || Failed) {
        return 0;
    }
    return static_cast<int64_t>(Ring.Size()) + Clock.Remaining(DeviceDelay(), Now()) * FrameBytes;
}

int64_t TAlsaOutput::DeviceDelay()
{
    // After an underrun the delay is meaningless (PulseAudio's plug-in keeps
    // one for ever); the clock alone knows then.
    const snd_pcm_state_t state = snd_pcm_state(Pcm);
    if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PREPARED && state != SND_PCM_STATE_PAUSED &&
        state != SND_PCM_STATE_DRAINING) {
        return -1;
    }
    snd_pcm_sframes_t frames = 0;
    return snd_pcm_delay(Pcm, &frames) == 0 ? static_cast<int64_t>(frames) : -1;
}

void TAlsaOutput::Recover(int Result)
{
    const int recovered = snd_pcm_recover(Pcm, Result, 1);
    if (recovered < 0) {
        Fail("stopped playing", recovered);
    }
    // An underrun left the device empty: what it held has been played.
    Clock.Reset();
}

void TAlsaOutput::Fail(const char* What, int Result)
{
    Failed = true;
    Error = "the audio device \"" + Device + "\" " + What + ": " + snd_strerror(Result);
    Ring.Clear();
}

void TAlsaOutput::Feed()
{
    const long chunkFrames = static_cast<long>(Chunk.size()) / Channels;
    std::unique_lock<std::mutex> lock(Mutex);
    while (!StopFeeder) {
        if (Failed || Paused) {
            Wake.wait(lock);
            continue;
        }
        const long queuedFrames = static_cast<long>(Ring.Size()) / FrameBytes;
        if (queuedFrames == 0) {
            // The writer has paused or ended: a device still short of its start
            // threshold plays what it holds.
            snd_pcm_sframes_t held = 0;
            if (snd_pcm_state(Pcm) == SND_PCM_STATE_PREPARED && snd_pcm_delay(Pcm, &held) == 0 && held > 0) {
                const int started = snd_pcm_start(Pcm);
                if (started < 0) {
                    Fail("cannot start", started);
                    continue;
                }
                Clock.Start(Now());
            }
            Wake.wait_for(lock, std::chrono::milliseconds(FeederPollMs));
            continue;
        }
        const snd_pcm_sframes_t room = snd_pcm_avail_update(Pcm);
        if (room < 0) {
            Recover(static_cast<int>(room));
            continue;
        }
        if (room == 0) {
            lock.unlock();
            snd_pcm_wait(Pcm, FeederPollMs);
            lock.lock();
            continue;
        }
        const long frames = std::min({static_cast<long>(room), queuedFrames, chunkFrames});
        Ring.Peek(Chunk.data(), static_cast<size_t>(frames) * FrameBytes);
        ApplySoftwareGain(Chunk.data(), frames, Channels, Volume, Pan);
        const snd_pcm_sframes_t played = snd_pcm_writei(Pcm, Chunk.data(), static_cast<snd_pcm_uframes_t>(frames));
        if (played >= 0) {
            Ring.Drop(static_cast<size_t>(played) * FrameBytes);
            const TDeviceClock::TTime now = Now();
            // The device starts by itself once it holds enough.
            if (!Clock.IsRunning() && snd_pcm_state(Pcm) == SND_PCM_STATE_RUNNING) {
                Clock.Start(now);
            }
            const snd_pcm_sframes_t roomLeft = snd_pcm_avail_update(Pcm);
            const int64_t buffered = roomLeft >= 0 ? BufferFrames - roomLeft : -1;
            Clock.Handed(played, DeviceDelay(), buffered, now);
        } else if (played == -EAGAIN) {
            lock.unlock();
            snd_pcm_wait(Pcm, FeederPollMs);
            lock.lock();
        } else {
            Recover(static_cast<int>(played));
        }
    }
}
