#pragma once
// How much of what was handed to a PCM device is still to be heard. Sound
// servers report their delay unreliably: PulseAudio's ALSA plug-in says 0
// while it still holds audio, and once it has run dry it keeps a small delay
// for ever, as PipeWire's does. So the delay a device reports is believed
// only within what the wall clock allows: a device plays no faster than its
// rate, and once it has had the time its frames take to play, plus a margin,
// it holds nothing, whatever it reports.
//
// The clock is anchored whenever frames are handed over (on the device's
// delay right then, when that is believable), so drift between the device's
// rate and the wall clock never accumulates. Time is a parameter: tests drive
// the clock with a time of their own.

#include <chrono>
#include <cstdint>

#include "player/DmfOutputFormat.h"

class TDeviceClock {
public:
    using TTime = std::chrono::steady_clock::time_point;

    // How long a device may lag behind the clock before it is taken to have
    // played its frames all the same.
    static constexpr std::chrono::milliseconds Margin{150};

    explicit TDeviceClock(int Rate = OutputRate) : Rate(Rate) { }

    // An empty device that has not started: after it was opened, flushed, or
    // recovered from an underrun (which left it empty).
    void Reset();
    // The device took Frames at Now and then reported Delay frames and
    // Buffered frames in its buffer (either negative when it reported none).
    void Handed(int64_t Frames, int64_t Delay, int64_t Buffered, TTime Now);
    // The device started or resumed playing at Now.
    void Start(TTime Now);
    // The device stopped playing at Now and keeps what it holds (a pause).
    void Stop(TTime Now);
    bool IsRunning() const { return Running; }

    // Frames still to be heard at Now, given the delay the device reports now
    // (negative when it reports none).
    int64_t Remaining(int64_t Delay, TTime Now) const;

private:
    // What the device held at the anchor, less what its rate lets it have
    // played since, the device lagging by Lag.
    double HeldAt(TTime Now, std::chrono::nanoseconds Lag) const;

    int Rate;
    bool Running = false;
    double Held = 0;          // frames held at the anchor
    TTime At{};               // the anchor: when Held was known
    int64_t HandedTotal = 0;  // frames handed since the last Reset
};
