#pragma once
// Decoder of packed sample data: a pre-order coded tree of 7-bit delta values,
// then per output byte a sign bit and a walk down the tree. Bits come from
// 16-bit little-endian words, least significant bit first, pulled from the
// stream in 1024-byte reads (so it may read ahead of the sample's data; the
// caller repositions the stream afterwards).

#include <array>
#include <cstdint>

#include "platform/PlatformStream.h"

class TSampleUnpacker {
public:
    static constexpr int MaxNodes = 256;  // node table size
    static constexpr uint16_t NoChild = 0xFFFF;
    static constexpr int InputBytes = 1024;  // one refill
    static constexpr int InputWords = InputBytes / 2;

    // InputLimit: the most bytes the unpacker may take from the stream; past
    // it the input counts as run dry (a damaged sample cannot make it decode
    // the rest of the file).
    TSampleUnpacker(TStream& Source, int64_t InputLimit) : Source(Source), InputLeft(InputLimit) { }
    // The input limit for a sample of Stored bytes: its own data and one
    // refill beyond, all that an intact sample's decoding reads.
    static int64_t InputLimitFor(int32_t Stored);

    // Reads the decoding tree. False when the stream describes more nodes than
    // the table holds: such data cannot be decoded and the sample stays silent.
    bool InitUnpacker();
    // Produces up to Count bytes into Dest; stops early once the input has run
    // dry (after finishing the byte in hand). Returns the bytes produced.
    // Bounded by the input: every byte takes at least its sign bit, and a
    // refill that delivers nothing ends the decoding, so at most
    // MaxOutputFor(InputLimit) bytes come out, whatever Count asks.
    int32_t UnpackBytes(uint8_t* Dest, int32_t Count);
    // Most bytes an input limit can produce: one per bit of the input taken,
    // plus the bits of one stale refill reused after a short read, plus the
    // byte in hand when the input ends.
    static int64_t MaxOutputFor(int64_t InputLimit) { return (InputLimit + InputBytes) * 8 + 1; }

private:
    struct TNode {
        uint16_t Left = NoChild;   // index of the left child, NoChild when none
        uint16_t Right = NoChild;  // index of the right child, NoChild when none
        uint8_t Value = 0;         // 7-bit delta magnitude
    };

    void RefillInput();
    // Makes the next bit available in bit 0 of BitWord.
    void NextBit();
    // Takes one bit.
    unsigned TakeBit();
    // Reads node NodeCount and its subtrees; false when the table overflows.
    bool ReadTreeNode();

    TStream& Source;                          // packed data
    int64_t InputLeft;                        // bytes the unpacker may still take
    std::array<uint8_t, InputBytes> Input{};  // last refill; stale words are reused after a short read
    int WordIndex = InputWords;               // next word of Input to load
    uint16_t BitWord = 0;                     // current word, shifted as bits are taken
    uint8_t BitsLeft = 1;                     // bits of BitWord not yet taken, plus one
    bool EndOfInput = false;                  // a refill delivered nothing
    std::array<TNode, MaxNodes> Nodes{};      // the tree, root at 0, pre-order
    uint16_t NodeCount = 0;                   // nodes read so far
    uint8_t LastOutput = 0;                   // previous output byte (deltas add to it)
};
