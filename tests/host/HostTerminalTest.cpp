// Keys typed during morvel play: every key of the list, several in one read,
// the arrows' escape sequences in both cursor-key forms, sequences split
// between reads, Esc told from the start of a sequence, and what is passed over.

#ifndef _WIN32

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/play/HostPlayKeys.h"
#include "host/play/HostTerminal.h"

namespace {

using enum THostKey;
using TKeys = std::vector<THostKey>;

TKeys Decode(TKeyDecoder& Decoder, const std::string& Bytes)
{
    return Decoder.Decode(Bytes.data(), Bytes.size());
}

TEST(HostTerminal, EveryKeyOfTheListIsReadInTheOrderTyped)
{
    TKeyDecoder decoder;
    EXPECT_EQ(Decode(decoder, " cC,.nNbBpPzZhH?qQ"),
              (TKeys{PauseResume, PauseResume, PauseResume, BackSecond, ForwardSecond, Next, Next, Next, Next, Previous,
                     Previous, Previous, Previous, Help, Help, Help, Quit, Quit}));
    EXPECT_EQ(Decode(decoder, "\x1b[C\x1b[D\x1bOC\x1bOD"), (TKeys{Forward, Back, Forward, Back}));
    // Keys that arrive together all count: two arrows are two seeks, n n n three entries.
    EXPECT_EQ(Decode(decoder, "\x1b[C\x1b[Cnnn.."),
              (TKeys{Forward, Forward, Next, Next, Next, ForwardSecond, ForwardSecond}));
    // Other keys and sequences (up, ctrl-right, F5) are passed over.
    EXPECT_EQ(Decode(decoder, "ax\x1b[A\x1b[1;5C\x1b[15~ "), (TKeys{PauseResume}));
    EXPECT_FALSE(decoder.HasPending());
}

TEST(HostTerminal, TheListShownToUsersNamesTheKeysTheDecoderReads)
{
    // Every key named in the help (one character, or an arrow, space or Esc)
    // decodes to something.
    const std::string named[] = {"space", "left", "right", "Esc"};
    const std::string bytes[] = {" ", "\x1b[D", "\x1b[C", "\x1b"};
    for (const TPlayKey& entry : PlayKeys) {
        // "space, c", "left, right", ", .": names apart by blanks, a comma after all but the last.
        std::istringstream names(entry.Keys);
        std::string key;
        while (names >> key) {
            if (key.size() > 1 && key.back() == ',') {
                key.pop_back();
            }
            std::string typed = key;
            for (size_t i = 0; i < std::size(named); ++i) {
                if (key == named[i]) {
                    typed = bytes[i];
                }
            }
            ASSERT_TRUE(typed.size() == 1 || typed[0] == '\x1b') << "unknown key name " << key;
            TKeyDecoder decoder;
            TKeys decoded = Decode(decoder, typed);
            const TKeys flushed = decoder.Flush();
            decoded.insert(decoded.end(), flushed.begin(), flushed.end());
            EXPECT_EQ(decoded.size(), 1u) << key;
        }
    }
}

TEST(HostTerminal, SequencesSplitBetweenReadsAreCompleted)
{
    TKeyDecoder decoder;
    EXPECT_EQ(Decode(decoder, " \x1b"), (TKeys{PauseResume}));
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_EQ(Decode(decoder, "["), TKeys{});
    EXPECT_EQ(Decode(decoder, "D"), (TKeys{Back}));
    EXPECT_EQ(Decode(decoder, "\x1b[1;"), TKeys{});
    EXPECT_EQ(Decode(decoder, "5Dn"), (TKeys{Next}));
    EXPECT_EQ(Decode(decoder, "\x1bO"), TKeys{});
    EXPECT_EQ(Decode(decoder, "C"), (TKeys{Forward}));
    EXPECT_FALSE(decoder.HasPending());
}

TEST(HostTerminal, EscAloneQuitsAndIsToldFromTheStartOfASequence)
{
    TKeyDecoder decoder;
    // Followed at once by something that starts no sequence: the Esc key.
    EXPECT_EQ(Decode(decoder, "\x1bn"), (TKeys{Quit, Next}));
    EXPECT_EQ(Decode(decoder, "\x1b\x1b"), (TKeys{Quit}));
    // Nothing follows: the caller waits a moment, then flushes.
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_EQ(decoder.Flush(), (TKeys{Quit}));
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(decoder.Flush(), TKeys{});
    // The start of a sequence that never ends is dropped, not taken for Esc.
    EXPECT_EQ(Decode(decoder, "\x1b[1"), TKeys{});
    EXPECT_EQ(decoder.Flush(), TKeys{});
    EXPECT_EQ(Decode(decoder, "q"), (TKeys{Quit}));
}

}  // namespace

#endif  // _WIN32
