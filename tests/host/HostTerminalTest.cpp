// Keys typed during morvel play: single keys, the arrows' escape sequences in
// both cursor-key forms, sequences split between reads, and what is passed over.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>

#include "host/HostTerminal.h"

namespace {

using enum THostKey;

std::vector<THostKey> Decode(TKeyDecoder& Decoder, const std::string& Bytes)
{
    return Decoder.Decode(Bytes.data(), Bytes.size());
}

TEST(HostTerminal, KeysAndArrowSequencesBecomeCommands)
{
    TKeyDecoder decoder;
    EXPECT_EQ(Decode(decoder, " nNqQ"), (std::vector<THostKey>{PauseResume, Next, Next, Quit, Quit}));
    EXPECT_EQ(Decode(decoder, "\x1b[C\x1b[D\x1bOC\x1bOD"), (std::vector<THostKey>{Forward, Back, Forward, Back}));
    // Other keys, other sequences (up, ctrl-right, F5) and a lone escape are passed over.
    EXPECT_EQ(Decode(decoder, "ax\x1b[A\x1b[1;5C\x1b[15~\x1bq"), (std::vector<THostKey>{Quit}));
}

TEST(HostTerminal, SequencesSplitBetweenReadsAreCompleted)
{
    TKeyDecoder decoder;
    EXPECT_EQ(Decode(decoder, " \x1b"), (std::vector<THostKey>{PauseResume}));
    EXPECT_EQ(Decode(decoder, "["), std::vector<THostKey>{});
    EXPECT_EQ(Decode(decoder, "D"), (std::vector<THostKey>{Back}));
    EXPECT_EQ(Decode(decoder, "\x1b[1;"), std::vector<THostKey>{});
    EXPECT_EQ(Decode(decoder, "5Dn"), (std::vector<THostKey>{Next}));
}

}  // namespace

#endif  // _WIN32
