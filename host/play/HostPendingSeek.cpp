#include "host/play/HostPendingSeek.h"

#include <algorithm>

#include "player/DmfLimits.h"

namespace {

// The player seeks to the first render step boundary at or after the target.
constexpr int LongestStepMs = MaxTickBytes * 1000 / OutputBytesPerSecond;

}  // namespace

int TPendingSeek::Step(int StepMs, int PositionMs, int LengthMs, TFlushMark LastFlush)
{
    const int from = Target(LastFlush) >= 0 ? Pending : PositionMs;
    int target = std::max(0, from + StepMs);
    if (LengthMs >= 0) {
        target = std::min(target, LengthMs);
    }
    Pending = target;
    FlushesBefore = LastFlush.Count;
    return target;
}

int TPendingSeek::Target(TFlushMark LastFlush)
{
    if (Pending >= 0 && LastFlush.Count != FlushesBefore && LastFlush.TimeMs >= Pending &&
        LastFlush.TimeMs <= Pending + LongestStepMs) {
        Pending = -1;
    }
    return Pending;
}
