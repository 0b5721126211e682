#include "platform/PlatformStopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t CaughtSignal = 0;

void OnStopSignal(int Signal)
{
    CaughtSignal = Signal;
}

}  // namespace

TStopSignals::TStopSignals()
{
    CaughtSignal = 0;
    OldInterrupt = std::signal(SIGINT, &OnStopSignal);
    OldTerminate = std::signal(SIGTERM, &OnStopSignal);
}

TStopSignals::~TStopSignals()
{
    std::signal(SIGINT, OldInterrupt);
    std::signal(SIGTERM, OldTerminate);
}

int TStopSignals::Caught()
{
    return CaughtSignal;
}
