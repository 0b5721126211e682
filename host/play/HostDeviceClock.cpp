#include "host/play/HostDeviceClock.h"

#include <algorithm>
#include <cmath>

void TDeviceClock::Reset()
{
    Running = false;
    Held = 0;
    At = TTime{};
    HandedTotal = 0;
}

double TDeviceClock::HeldAt(TTime Now, std::chrono::nanoseconds Lag) const
{
    if (!Running) {
        return Held;
    }
    const double seconds = std::chrono::duration<double>(Now - At - Lag).count();
    return std::max(0.0, Held - std::max(0.0, seconds) * Rate);
}

void TDeviceClock::Handed(int64_t Frames, int64_t Delay, int64_t Buffered, TTime Now)
{
    if (Frames <= 0) {
        return;
    }
    HandedTotal += Frames;
    // A delay covers at least what is in the device's buffer and at most all it
    // was ever given; outside that it is not believed.
    const bool believable = Delay >= std::max<int64_t>(Buffered, 0) && Delay <= HandedTotal;
    Held = believable ? static_cast<double>(Delay) : HeldAt(Now, {}) + static_cast<double>(Frames);
    At = Now;
}

void TDeviceClock::Start(TTime Now)
{
    if (Running) {
        return;
    }
    Running = true;
    At = Now;
}

void TDeviceClock::Stop(TTime Now)
{
    if (!Running) {
        return;
    }
    Held = HeldAt(Now, {});
    At = Now;
    Running = false;
}

int64_t TDeviceClock::Remaining(int64_t Delay, TTime Now) const
{
    // At least what the clock says is left, at most that plus the margin.
    const double least = HeldAt(Now, {});
    const double most = HeldAt(Now, Margin);
    const double remaining = Delay < 0 ? least : std::clamp(static_cast<double>(Delay), least, most);
    return static_cast<int64_t>(std::ceil(remaining));
}
