#pragma once
// morvel play's output on ALSA: what the plug-in writes is queued in a ring
// of a few seconds that a feeder thread plays on the device. Through a sound
// server's ALSA plug-in (PulseAudio's, PipeWire's) the device's delay is
// believed only as far as TDeviceClock allows.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/play/HostByteRing.h"
#include "host/play/HostDeviceClock.h"
#include "host/play/HostOutput.h"
#include "host/play/HostOutputClocks.h"
#include "player/DmfOutputFormat.h"

struct _snd_pcm;

class TAlsaOutput : public THostOutput {
public:
    // Device: an ALSA PCM name ("default", "null", "hw:0", ...).
    explicit TAlsaOutput(std::string Device);
    ~TAlsaOutput() override;
    TAlsaOutput(const TAlsaOutput&) = delete;
    TAlsaOutput& operator=(const TAlsaOutput&) = delete;

    // Opens the device for interleaved 16-bit PCM (the only sample size taken)
    // and starts the feeder; both clocks start at 0. Returns the latency in ms
    // (ring and device buffer), negative on failure (see LastError). The two
    // buffer arguments are hints the output does without.
    int Open(int Rate, int Channels, int BitsPerSample, int BufferMs, int PrebufferMs) override;
    // Stops the feeder and closes the device; what is queued is dropped.
    void Close() override;
    // Queues the bytes (all of them, also beyond CanWrite); 0.
    int Write(const char* Bytes, int Count) override;
    // Bytes free in the ring; 0 while paused.
    int CanWrite() override;
    // 1 while queued audio has not been heard yet. This does not wait for the
    // device's delay to reach 0, which some never report (see TDeviceClock).
    int IsPlaying() override;
    // 1 pauses, 0 resumes; returns the previous state.
    int Pause(int Paused) override;
    // 0..255, a software gain; -666 keeps the volume.
    void SetVolume(int Volume) override;
    // -128 (left only) .. 128 (right only), a software balance.
    void SetPan(int Pan) override;
    // Drops what is queued and held by the device; both clocks go on from TimeMs.
    void Flush(int TimeMs) override;
    // Drops what is queued and held by the device, and what is written from
    // now until the next Flush: audio from before a seek that the host asked
    // for and the writer has not carried out yet, which no one should hear.
    // It counts as played.
    void DropUntilFlush() override;
    // Milliseconds played: written time less what is queued or in the device;
    // it never goes back between two flushes.
    int GetOutputTime() override;
    // Milliseconds written since Open, counted from the last Flush time.
    int GetWrittenTime() override;

    bool IsOpen();
    // Why the last Open failed, or why the device stopped playing; empty when neither.
    std::string LastError() override;
    // What the ring holds, in bytes.
    int QueuedBytes();

    // How many times Flush was called since the output was made, and the time
    // of the last one: a host sees from it that a seek it asked for is done.
    TFlushMark LastFlush() override;

private:
    void Feed();
    // The rest need Mutex held.
    int64_t PendingBytes();
    // The device's delay in frames, negative when it reports none it means.
    int64_t DeviceDelay();
    // Empties the ring and the device (prepared again, not paused).
    void DropHeld();
    // After a failed device call: the device is made ready again, or given up.
    void Recover(int Result);
    void Fail(const char* What, int Error);

    const std::string Device;
    std::mutex Mutex;              // guards everything below and every call on Pcm
    std::condition_variable Wake;  // the feeder waits on it for audio, resume or close
    _snd_pcm* Pcm = nullptr;       // the open device, null while closed
    std::thread Feeder;
    bool StopFeeder = false;
    bool Paused = false;
    bool DevicePaused = false;  // paused by the device itself, not only by not feeding
    bool CanPauseDevice = false;
    bool Failed = false;    // the device gave up: audio is dropped as it comes
    bool Dropping = false;  // audio is dropped as it comes until the next Flush
    TDeviceClock Clock;     // what the device still holds
    std::string Error;
    TByteRing Ring;
    size_t RingLimit = 0;        // the ring's nominal size: CanWrite counts from it
    std::vector<int16_t> Chunk;  // the feeder's copy of the audio it hands to the device
    int Rate = OutputRate;
    int Channels = OutputChannels;
    int FrameBytes = OutputBytesPerFrame;
    int64_t BufferFrames = 0;  // the device's own buffer
    int LatencyMs = 0;
    TOutputClocks Clocks;
    int Volume = 255;
    int Pan = 0;
};
