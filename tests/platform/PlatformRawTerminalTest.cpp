// morvel play's terminal: keys read from standard input until it ends, no raw
// mode where there is no terminal, and quit signals told to the program once
// (an ignored one staying ignored, the earlier handlers back afterwards).

#ifndef _WIN32

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <string>

#include "platform/PlatformRawTerminal.h"

namespace {

// Standard input is the read end of a pipe while it lives.
class TInputPipe {
public:
    TInputPipe()
    {
        if (pipe(Ends) == 0) {
            Original = dup(STDIN_FILENO);
            dup2(Ends[0], STDIN_FILENO);
        }
    }
    ~TInputPipe()
    {
        dup2(Original, STDIN_FILENO);
        close(Original);
        close(Ends[0]);
        CloseWriteEnd();
    }
    void Type(const std::string& Bytes)
    {
        ASSERT_EQ(write(Ends[1], Bytes.data(), Bytes.size()), ssize_t(Bytes.size()));
    }
    void CloseWriteEnd()
    {
        if (Ends[1] >= 0) {
            close(Ends[1]);
        }
        Ends[1] = -1;
    }

private:
    int Ends[2] = {-1, -1};
    int Original = -1;
};

TEST(PlatformRawTerminal, KeysAreReadUntilInputEndsAndNoTerminalStaysAsItIs)
{
    TInputPipe input;
    TRawTerminal terminal(true);
    EXPECT_FALSE(terminal.IsRaw());
    input.Type("n q");
    char bytes[8];
    ASSERT_EQ(PlatformReadInput(bytes, sizeof bytes), 3);
    EXPECT_EQ(std::string(bytes, 3), "n q");
    input.CloseWriteEnd();
    EXPECT_LT(PlatformReadInput(bytes, sizeof bytes), 0);
}

volatile std::sig_atomic_t EarlierHandlerSaw = 0;

void EarlierHandler(int Number)
{
    EarlierHandlerSaw = Number;
}

TEST(PlatformRawTerminal, AQuitSignalIsToldOnceAndAnIgnoredOneStaysIgnored)
{
    const auto previousTerm = std::signal(SIGTERM, &EarlierHandler);
    const auto previousHangUp = std::signal(SIGHUP, SIG_IGN);
    int told = 0;
    {
        TQuitSignals signals([](void* Context, int Number) { *static_cast<int*>(Context) = Number; }, &told);
        std::raise(SIGHUP);
        EXPECT_EQ(told, 0);
        std::raise(SIGTERM);
        EXPECT_EQ(told, SIGTERM);
        EXPECT_EQ(EarlierHandlerSaw, 0);
    }
    std::raise(SIGTERM);
    EXPECT_EQ(EarlierHandlerSaw, SIGTERM);
    std::signal(SIGTERM, previousTerm);
    std::signal(SIGHUP, previousHangUp);
}

}  // namespace

#endif  // _WIN32
