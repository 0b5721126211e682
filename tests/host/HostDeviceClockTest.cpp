// End detection of the ALSA output against devices whose delays are true,
// stuck, too small or missing, on a clock of the test's own: a device is
// modelled as a buffer drained at its rate, and the output's estimate must
// follow what it really holds, never end before it and end soon after it,
// whatever delay it reports.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "host/play/HostDeviceClock.h"
#include "player/DmfOutputFormat.h"

namespace {

using namespace std::chrono_literals;
using TTime = TDeviceClock::TTime;

constexpr int Rate = OutputRate;
constexpr int64_t BufferFrames = 6615;  // 150 ms, as the output asks for
constexpr int64_t PeriodFrames = 1653;
constexpr int64_t StartFrames = 4 * PeriodFrames;  // the start threshold: whole periods

// A device that plays at its rate (times Speed) once started. Reported says
// which delay it reports from what it truly holds and the time.
struct TModelDevice {
    double Speed = 1.0;
    std::function<int64_t(int64_t Held, TTime Now)> Reported = [](int64_t Held, TTime) { return Held; };

    bool Started = false;
    double Held = 0;
    TTime Last{};

    void Advance(TTime Now)
    {
        if (Started) {
            Held = std::max(0.0, Held - std::chrono::duration<double>(Now - Last).count() * Rate * Speed);
        }
        Last = Now;
    }
    int64_t Holds() const { return static_cast<int64_t>(std::ceil(Held)); }
};

// Feeds Frames to Device through Clock as the output's feeder does: a period
// whenever the buffer has room for one, the device starting once it is full
// (or when the last frames were handed over).
// Checks on every millisecond that the estimate never falls below what the
// device holds; returns the time when the device has played everything.
TTime FeedAndCheck(TDeviceClock& Clock, TModelDevice& Device, int64_t Frames, TTime Now)
{
    while (Frames > 0 || Device.Holds() > 0) {
        Device.Advance(Now);
        if (Frames > 0 && BufferFrames - Device.Holds() >= PeriodFrames) {
            const int64_t frames = std::min(Frames, PeriodFrames);
            Device.Held += static_cast<double>(frames);
            Frames -= frames;
            if (!Device.Started && (Device.Holds() >= StartFrames || Frames == 0)) {
                Device.Started = true;
                Clock.Start(Now);
            }
            Clock.Handed(frames, Device.Reported(Device.Holds(), Now), Device.Holds(), Now);
        }
        const int64_t remaining = Clock.Remaining(Device.Reported(Device.Holds(), Now), Now);
        EXPECT_GE(remaining + 1, Device.Holds());
        if (remaining + 1 < Device.Holds()) {
            break;
        }
        Now += 1ms;
    }
    return Now;
}

// How long after Done the clock says the device holds nothing.
std::chrono::milliseconds EndAfter(const TDeviceClock& Clock, const TModelDevice& Device, TTime Done)
{
    for (TTime now = Done;; now += 1ms) {
        if (Clock.Remaining(Device.Reported(0, now), now) == 0) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(now - Done);
        }
        if (now - Done > 10s) {
            return 10s;
        }
    }
}

TEST(HostDeviceClock, ATruthfulDeviceEndsWhenItsDelayReachesZero)
{
    TDeviceClock clock(Rate);
    TModelDevice device;
    const TTime done = FeedAndCheck(clock, device, Rate * 3, TTime{} + 1s);
    EXPECT_LE(EndAfter(clock, device, done), 1ms);
}

TEST(HostDeviceClock, ADelayStuckAfterTheEndIsIgnoredOnceTheFramesHadTheirTime)
{
    // PulseAudio's ALSA plug-in: run dry, it reports 362 frames for ever.
    TDeviceClock clock(Rate);
    TModelDevice device;
    device.Reported = [](int64_t Held, TTime) { return Held > 0 ? Held : 362; };
    const TTime done = FeedAndCheck(clock, device, Rate * 2, TTime{} + 1s);
    EXPECT_LE(EndAfter(clock, device, done), TDeviceClock::Margin + 1ms);

    // So does a large stuck delay, and one that runs away.
    device.Reported = [](int64_t, TTime) { return BufferFrames; };
    EXPECT_LE(EndAfter(clock, device, done), TDeviceClock::Margin + 1ms);
    device.Reported = [](int64_t, TTime Now) { return Now.time_since_epoch().count() / 1000; };
    EXPECT_LE(EndAfter(clock, device, done), TDeviceClock::Margin + 1ms);
}

TEST(HostDeviceClock, ADelayTooSmallOrMissingGivesWayToTheClock)
{
    // A sound server that reports 0 while it still holds the audio, or a
    // device that never reports: the frames count as held until their time
    // has passed, so the position never runs ahead of what is heard.
    for (const auto& reported : std::vector<std::function<int64_t(int64_t, TTime)>>{
             [](int64_t, TTime) { return int64_t{0}; },
             [](int64_t, TTime) { return int64_t{-1}; },
             [](int64_t Held, TTime) { return Held / 2; },
         }) {
        TDeviceClock clock(Rate);
        TModelDevice device;
        device.Reported = reported;
        const TTime done = FeedAndCheck(clock, device, Rate * 2, TTime{} + 1s);
        EXPECT_LE(EndAfter(clock, device, done), 2ms);
    }
}

TEST(HostDeviceClock, ADeviceSlowerThanTheClockIsFollowedByItsDelay)
{
    // 2 % slow: over 20 s the device lags 400 ms behind the wall clock, more
    // than the margin. Each hand-over anchors the clock on the delay, so the
    // end is not called early.
    TDeviceClock clock(Rate);
    TModelDevice device;
    device.Speed = 0.98;
    const TTime done = FeedAndCheck(clock, device, Rate * 20, TTime{} + 1s);
    EXPECT_LE(EndAfter(clock, device, done), 2ms);
}

TEST(HostDeviceClock, ADeviceThatTakesEverythingAtOnceHoldsNothing)
{
    // ALSA's null device: no delay, nothing in its buffer, never started.
    TDeviceClock clock(Rate);
    const TTime now = TTime{} + 1s;
    clock.Handed(PeriodFrames, 0, 0, now);
    EXPECT_EQ(clock.Remaining(0, now), 0);
    // A delay beyond all that was handed is not believed either.
    TDeviceClock other(Rate);
    other.Handed(PeriodFrames, 10 * PeriodFrames, PeriodFrames, now);
    EXPECT_EQ(other.Remaining(-1, now), PeriodFrames);
}

TEST(HostDeviceClock, NothingIsPlayedBeforeTheStartOrWhileStopped)
{
    TDeviceClock clock(Rate);
    TTime now = TTime{} + 1s;
    clock.Handed(Rate, Rate, Rate, now);
    now += 5s;
    EXPECT_EQ(clock.Remaining(-1, now), Rate);  // not started: everything is still to come

    clock.Start(now);
    now += 250ms;
    EXPECT_EQ(clock.Remaining(-1, now), Rate * 3 / 4);
    clock.Stop(now);
    now += 10s;
    // Paused: the delay the device reports does not move the clock either way.
    EXPECT_EQ(clock.Remaining(-1, now), Rate * 3 / 4);
    EXPECT_EQ(clock.Remaining(0, now), Rate * 3 / 4);
    EXPECT_EQ(clock.Remaining(Rate, now), Rate * 3 / 4);

    clock.Start(now);
    now += 500ms;
    EXPECT_EQ(clock.Remaining(-1, now), Rate / 4);
    now += 250ms;
    EXPECT_EQ(clock.Remaining(-1, now), 0);

    // A flush or an underrun empties it.
    clock.Handed(Rate, Rate, Rate, now);
    clock.Reset();
    EXPECT_FALSE(clock.IsRunning());
    EXPECT_EQ(clock.Remaining(Rate, now), 0);
}

}  // namespace

#endif  // _WIN32
