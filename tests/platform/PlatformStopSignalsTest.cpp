// Ctrl-C and a request to end, while a long piece of work runs: noted instead
// of ending the process, forgotten by the next piece of work, and the handler
// before put back afterwards.

#include <gtest/gtest.h>

#include <csignal>

#include "platform/PlatformStopSignals.h"

namespace {

volatile std::sig_atomic_t EarlierHandlerSaw = 0;

void EarlierHandler(int Signal)
{
    EarlierHandlerSaw = Signal;
}

TEST(PlatformStopSignals, ASignalIsNotedWhileTheyLiveAndTheEarlierHandlerReturnsAfter)
{
    const auto previous = std::signal(SIGTERM, &EarlierHandler);
    {
        TStopSignals signals;
        EXPECT_EQ(TStopSignals::Caught(), 0);
        std::raise(SIGINT);
        EXPECT_EQ(TStopSignals::Caught(), SIGINT);
        std::raise(SIGTERM);
        EXPECT_EQ(TStopSignals::Caught(), SIGTERM);
        EXPECT_EQ(EarlierHandlerSaw, 0);
    }
    {
        TStopSignals next;
        EXPECT_EQ(TStopSignals::Caught(), 0);
    }
    std::raise(SIGTERM);
    EXPECT_EQ(EarlierHandlerSaw, SIGTERM);
    std::signal(SIGTERM, previous);
}

}  // namespace
